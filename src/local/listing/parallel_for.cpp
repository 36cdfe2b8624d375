#include "local/listing/parallel_for.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tarvo::listing {

namespace {

// More threads stop paying off: the work is short and mostly bound by one directory's locks.
constexpr std::size_t kMaxThreads = 8;

std::size_t threadCountFor(std::size_t count, std::size_t minPerThread) {
    const std::size_t hardware = std::max<std::size_t>(1, std::thread::hardware_concurrency());
    const std::size_t wanted = minPerThread == 0 ? count : count / minPerThread;
    return std::clamp<std::size_t>(wanted, 1, std::min(hardware, kMaxThreads));
}

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
    auto runChunk = [&](std::size_t begin, std::size_t end) {
        try {
            body(begin, end);
        } catch (...) {
            std::lock_guard guard(failureLock);
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(threads - 1);
    const std::size_t chunk = (count + threads - 1) / threads;
    for (std::size_t begin = chunk; begin < count; begin += chunk) {
        const std::size_t end = std::min(count, begin + chunk);
        try {
            workers.emplace_back(runChunk, begin, end);
        } catch (const std::system_error&) {
            runChunk(begin, end); // no thread to spare: do the chunk here
        }
    }
    runChunk(0, std::min(count, chunk));
    for (std::thread& worker : workers)
        worker.join();
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

} // namespace tarvo::listing
