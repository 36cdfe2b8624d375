#include "local/listing/parallel_for.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tarvo::listing {

namespace {

// More threads stop paying off: the work is short and mostly bound by one directory's locks.
constexpr std::size_t kMaxThreads = 8;

std::size_t hardwareThreads() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxThreads);
}

std::size_t threadCountFor(std::size_t count, std::size_t minPerThread) {
    const std::size_t wanted = minPerThread == 0 ? count : count / minPerThread;
    return std::clamp<std::size_t>(wanted, 1, hardwareThreads());
}

// The threads that run the chunks, started at the first call and kept for the program's life:
// a thread per call and chunk left the C library an arena per short-lived thread, which kept
// the memory of every large sort. A caller waiting for its chunks runs queued ones meanwhile,
// so calls from several threads, also from inside a chunk, never wait on each other idly.
class ChunkPool {
public:
    static ChunkPool& instance() {
        static ChunkPool pool;
        return pool;
    }

    ~ChunkPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    // Runs each task, some on the pool's threads, and returns when all have ended.
    void runAll(std::vector<std::function<void()>>& tasks) {
        std::size_t left = tasks.size();
        std::unique_lock lock(mutex_);
        for (std::function<void()>& task : tasks)
            queue_.push_back([&task, &left, this] {
                task();
                std::lock_guard done(mutex_);
                if (--left == 0)
                    finished_.notify_all();
            });
        work_.notify_all();
        while (left > 0) {
            if (queue_.empty()) {
                finished_.wait(lock);
                continue;
            }
            runOne(lock);
        }
    }

private:
    ChunkPool() {
        for (std::size_t i = 1; i < hardwareThreads(); ++i) {
            try {
                threads_.emplace_back([this] { serve(); });
            } catch (const std::system_error&) {
                break; // no thread to spare: the callers run the chunks themselves
            }
        }
    }

    void serve() {
        std::unique_lock lock(mutex_);
        while (true) {
            work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            runOne(lock);
        }
    }

    // Takes the oldest task and runs it with the lock released.
    void runOne(std::unique_lock<std::mutex>& lock) {
        std::function<void()> task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable finished_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

void parallelFor(std::size_t count, std::size_t minPerThread,
                 const std::function<void(std::size_t begin, std::size_t end)>& body) {
    const std::size_t threads = threadCountFor(count, minPerThread);
    if (threads <= 1) {
        body(0, count);
        return;
    }
    std::exception_ptr firstFailure;
    std::mutex failureLock;
    std::vector<std::function<void()>> chunks;
    const std::size_t chunk = (count + threads - 1) / threads;
    for (std::size_t begin = 0; begin < count; begin += chunk) {
        const std::size_t end = std::min(count, begin + chunk);
        chunks.emplace_back([&, begin, end] {
            try {
                body(begin, end);
            } catch (...) {
                std::lock_guard guard(failureLock);
                if (!firstFailure)
                    firstFailure = std::current_exception();
            }
        });
    }
    ChunkPool::instance().runAll(chunks);
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

} // namespace tarvo::listing
