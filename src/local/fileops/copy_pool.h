#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo::fileops {

// A few threads that copy files side by side. Used only where no question can arise between
// them: the files of a folder the transfer has just made, which holds nothing to replace.
class CopyPool {
public:
    // Work of one folder, which waits for it before the folder gets its final mode and times.
    class Batch {
        friend class CopyPool;
        int pending_ = 0;
    };

    explicit CopyPool(int threads);
    ~CopyPool();
    CopyPool(const CopyPool&) = delete;
    CopyPool& operator=(const CopyPool&) = delete;

    // Queues the task; waits while many are queued already, so a large folder is not read far
    // ahead of its copies.
    void submit(Batch& batch, std::function<void()> task);
    void wait(Batch& batch);
    std::size_t threads() const { return threads_.size(); }

private:
    struct Task {
        Batch* batch;
        std::function<void()> work;
    };
    void serve();

    std::mutex mutex_;
    std::condition_variable queued_;   // a task came, or the pool closes
    std::condition_variable progress_; // a task went: room in the queue, a batch may be done
    std::deque<Task> queue_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

} // namespace tarvo::fileops
