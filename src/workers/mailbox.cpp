#include "workers/mailbox.h"

bool Mailbox::post(int code, CommandParams params) {
    if (code == 0)
        return false;
    {
        std::lock_guard lock(mutex_);
        int idle = 0;
        if (!code_.compare_exchange_strong(idle, code))
            return false;
        params_ = std::move(params);
    }
    posted_.notify_all();
    return true;
}

Mailbox::Command Mailbox::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    posted_.wait_for(lock, timeout, [this] { return woken_ || code_.load() != 0; });
    woken_ = false;
    const int code = code_.load();
    return code == 0 ? Command{} : Command{code, params_};
}

void Mailbox::finish(int code) {
    int expected = code;
    code_.compare_exchange_strong(expected, 0);
}

void Mailbox::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    posted_.notify_all();
}
