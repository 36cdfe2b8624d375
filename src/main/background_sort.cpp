#include "main/background_sort.h"

#include <utility>

BackgroundSort::BackgroundSort() : thread_([this](std::stop_token stop) { run(stop); }) {}

BackgroundSort::~BackgroundSort() {
    std::lock_guard lock(mutex_);
    waiting_ = nullptr;
}

void BackgroundSort::start(std::function<void()> sort) {
    {
        std::lock_guard lock(mutex_);
        waiting_ = std::move(sort);
    }
    wake_.notify_one();
}

void BackgroundSort::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, stop, [this] { return static_cast<bool>(waiting_); })) {
        const std::function<void()> sort = std::exchange(waiting_, nullptr);
        lock.unlock();
        sort();
        lock.lock();
    }
}
