#include "platform/mount_watcher.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Reading the table to its end is what re-arms the kernel's flag.
bool drain(int fd) {
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return false;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

MountWatcher::MountWatcher(std::function<void()> onChange) : onChange_(std::move(onChange)) {
    mountInfo_.reset(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    wake_.reset(::eventfd(0, EFD_CLOEXEC));
    if (mountInfo_.valid() && wake_.valid() && drain(mountInfo_.get()))
        thread_ = std::thread([this] { run(); });
}

MountWatcher::~MountWatcher() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
        thread_.join();
    }
}

void MountWatcher::run() {
    for (;;) {
        pollfd watched[2] = {{mountInfo_.get(), POLLPRI, 0}, {wake_.get(), POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[1].revents != 0)
            return;
        if (watched[0].revents & (POLLPRI | POLLERR)) {
            if (!drain(mountInfo_.get()))
                return;
            onChange_();
        }
    }
}
