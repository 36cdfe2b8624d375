#include "workers/mailbox.h"

#include <algorithm>

PostResult Mailbox::post(Posted posted) {
    PostResult result = PostResult::Started;
    {
        std::lock_guard lock(mutex_);
        const bool longJob =
            runningLong_ ||
            std::ranges::any_of(waiting_, [](const Posted& waiting) { return waiting.isLong; });
        if (longJob)
            return PostResult::Refused;
        if (waiting_.size() >= kMaxWaiting)
            return PostResult::Full;
        if (runningId_ != 0 || !waiting_.empty())
            result = PostResult::Queued;
        waiting_.push_back(std::move(posted));
    }
    changed_.notify_all();
    return result;
}

bool Mailbox::idle() const {
    std::lock_guard lock(mutex_);
    return runningId_ == 0 && waiting_.empty();
}

bool Mailbox::holds(int id) const {
    std::lock_guard lock(mutex_);
    return runningId_ == id ||
           std::ranges::any_of(waiting_, [id](const Posted& waiting) { return waiting.id == id; });
}

std::optional<Mailbox::Posted> Mailbox::take(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return woken_ || !waiting_.empty(); };
    if (deadline == Clock::time_point::max())
        changed_.wait(lock, ready);
    else
        changed_.wait_until(lock, deadline, ready);
    woken_ = false;
    if (waiting_.empty())
        return std::nullopt;
    Posted next = std::move(waiting_.front());
    waiting_.pop_front();
    runningId_ = next.id;
    runningLong_ = next.isLong;
    return next;
}

void Mailbox::finish() {
    std::function<void()> settled;
    {
        std::lock_guard lock(mutex_);
        runningId_ = 0;
        runningLong_ = false;
        if (waiting_.empty())
            settled = settled_;
    }
    if (settled)
        settled();
}

void Mailbox::setSettledHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    settled_ = std::move(handler);
}

void Mailbox::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}
