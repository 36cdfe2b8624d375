#pragma once

#include "platform/timed_mutex.h"

#include <atomic>
#include <chrono>
#include <thread>

// Another thread holding a named lock until release() (or the end of the scope), as a raw
// command or a long lookup would.
class HeldLock {
public:
    explicit HeldLock(NamedMutex& lock)
        : holder_([this, &lock] {
              TimedLock hold(lock, std::chrono::seconds(5));
              held_ = true;
              while (!released_)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }) {
        while (!held_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~HeldLock() { release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    void release() {
        released_ = true;
        if (holder_.joinable())
            holder_.join();
    }

private:
    std::atomic<bool> held_{false};
    std::atomic<bool> released_{false};
    std::thread holder_;
};
