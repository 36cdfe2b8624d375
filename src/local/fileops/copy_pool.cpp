#include "local/fileops/copy_pool.h"

namespace tarvo::fileops {

namespace {
constexpr std::size_t kMaxQueued = 256;
} // namespace

CopyPool::CopyPool(int threads) {
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { serve(); });
}

CopyPool::~CopyPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void CopyPool::submit(Batch& batch, std::function<void()> task) {
    std::unique_lock lock(mutex_);
    progress_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
    ++batch.pending_;
    queue_.push_back({&batch, std::move(task)});
    lock.unlock();
    queued_.notify_one();
}

void CopyPool::wait(Batch& batch) {
    std::unique_lock lock(mutex_);
    progress_.wait(lock, [&] { return batch.pending_ == 0; });
}

void CopyPool::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Task task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        try {
            task.work();
        } catch (...) {
            // A task reports its own failures; one that cannot must not end the program.
        }
        lock.lock();
        --task.batch->pending_;
        progress_.notify_all();
    }
}

} // namespace tarvo::fileops
