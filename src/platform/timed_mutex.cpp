#include "platform/timed_mutex.h"

bool NamedMutex::tryLockFor(std::chrono::milliseconds timeout) {
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(state_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    if (!released_.wait_for(lock, timeout, [this] { return depth_ == 0; }))
        return false;
    owner_ = self;
    depth_ = 1;
    return true;
}

void NamedMutex::unlock() {
    {
        std::lock_guard lock(state_);
        if (depth_ == 0 || owner_ != std::this_thread::get_id() || --depth_ > 0)
            return;
        owner_ = {};
    }
    released_.notify_one();
}
