#pragma once

#include "platform/posix/unique_fd.h"

#include <functional>
#include <thread>

// Tells when this process's mount table changes: the kernel flags /proc/self/mountinfo with
// POLLPRI on every mount, unmount or move (file watchers see nothing on proc files). A thread of
// its own waits for that and calls onChange there; nothing is polled and no mount is kept busy.
class MountWatcher {
public:
    explicit MountWatcher(std::function<void()> onChange);
    ~MountWatcher();
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // False when the mount table could not be opened; then no change is ever reported.
    bool watching() const { return thread_.joinable(); }

private:
    void run();

    std::function<void()> onChange_;
    tarvo::UniqueFd mountInfo_;
    tarvo::UniqueFd wake_; // an eventfd that ends the wait
    std::thread thread_;
};
