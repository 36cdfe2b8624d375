#include "main/background_sort.h"

#include <utility>

#include <malloc.h>

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

void BackgroundSort::release(std::shared_ptr<const void> garbage) {
    {
        std::lock_guard lock(mutex_);
        garbage_.push_back(std::move(garbage));
    }
    wake_.notify_one();
}

void BackgroundSort::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, stop, [this] { return waiting_ || !garbage_.empty(); })) {
        std::vector<std::shared_ptr<const void>> garbage = std::exchange(garbage_, {});
        const std::function<void()> sort = std::exchange(waiting_, nullptr);
        lock.unlock();
        if (!garbage.empty()) {
            garbage.clear();
            // The C library keeps what a large listing freed for later use, split into small
            // pieces that a later allocation on the screen's thread would sort through; it goes
            // back to the system here instead. The sanitizers' allocators keep their own.
#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
            malloc_trim(0);
#endif
        }
        if (sort)
            sort();
        lock.lock();
    }
}
