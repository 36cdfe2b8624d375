#include "local/zip/parallel_packer.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarvo::zip {

namespace {

// Larger files are compressed by the writing thread itself, streaming, rather than held in
// memory whole.
constexpr std::uint64_t MaxPreparedSize = 32ull << 20;
// Source bytes compressed ahead and not yet written; compressing threads wait beyond it.
constexpr std::uint64_t MemoryBudget = 256ull << 20;

enum class SlotState { Waiting, Prepared, LeftToWriter };

struct Slot {
    SlotState state = SlotState::Waiting;
    PreparedSource prepared;
    std::uint64_t reserved = 0;
};

// Compressing threads claim files in order; the writing thread takes them in the same order.
class Pipeline {
public:
    Pipeline(const std::vector<ZipAddRequest>& requests, std::stop_token stop)
        : requests_(requests), slots_(requests.size()), stop_(std::move(stop)) {}

    void compressAhead() {
        EntryEncoder encoder;
        encoder.setStop(stop_);
        for (;;) {
            std::size_t index = 0;
            {
                std::lock_guard lock(mutex_);
                if (nextClaim_ == requests_.size() || stop_.stop_requested()) {
                    return;
                }
                index = nextClaim_++;
            }
            const ZipAddRequest& request = requests_[index];
            PreparedSource prepared;
            const bool done =
                !request.folder &&
                TZip::prepare(
                    request.nameInArchive, request.sourcePath,
                    [&](std::uint64_t size) { return admit(index, size); }, encoder, prepared);
            {
                std::lock_guard lock(mutex_);
                slots_[index].prepared = std::move(prepared);
                slots_[index].state = done ? SlotState::Prepared : SlotState::LeftToWriter;
            }
            changed_.notify_all();
        }
    }

    // The prepared data of a file request, or null when the writer is to read it itself.
    const PreparedSource* waitFor(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slots_[index].state != SlotState::Waiting; });
        return slots_[index].state == SlotState::Prepared ? &slots_[index].prepared : nullptr;
    }

    void written(std::size_t index) {
        {
            std::lock_guard lock(mutex_);
            inFlight_ -= slots_[index].reserved;
            slots_[index].prepared = PreparedSource{};
            nextWrite_ = index + 1;
        }
        changed_.notify_all();
    }

private:
    // The file next in line is always let through, so the writer never waits on the budget.
    bool admit(std::size_t index, std::uint64_t size) {
        if (size > MaxPreparedSize) {
            return false;
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock,
                      [&] { return index == nextWrite_ || inFlight_ + size <= MemoryBudget; });
        inFlight_ += size;
        slots_[index].reserved = size;
        return true;
    }

    const std::vector<ZipAddRequest>& requests_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t nextClaim_ = 0;
    std::size_t nextWrite_ = 0;
    std::uint64_t inFlight_ = 0;
    std::stop_token stop_;
};

ZipResult addOne(TZip& zip, const ZipAddRequest& request, const PreparedSource* prepared) {
    return request.folder ? zip.addDirectory(request.nameInArchive)
                          : zip.addFile(request.nameInArchive, request.sourcePath, prepared);
}

// One entry in its turn, as the observer sees it; none is begun once the stop is requested.
ZipResult addObserved(TZip& zip, const std::vector<ZipAddRequest>& requests, std::size_t index,
                      const PreparedSource* prepared, const ZipAddObserver& observer) {
    ZipResult result = ZipCancelled;
    if (!observer.stop.stop_requested()) {
        if (observer.starting) {
            observer.starting(index);
        }
        result = addOne(zip, requests[index], prepared);
    }
    if (observer.finished) {
        observer.finished(index, result);
    }
    return result;
}

} // namespace

std::vector<ZipResult> addEntriesInParallel(TZip& zip, const std::vector<ZipAddRequest>& requests,
                                            unsigned threads, const ZipAddObserver& observer) {
    zip.setStop(observer.stop);
    std::vector<ZipResult> results;
    results.reserve(requests.size());
    if (threads <= 1) {
        for (std::size_t index = 0; index < requests.size(); ++index) {
            results.push_back(addObserved(zip, requests, index, nullptr, observer));
        }
        return results;
    }

    Pipeline pipeline(requests, observer.stop);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i) {
        workers.emplace_back([&pipeline] { pipeline.compressAhead(); });
    }
    for (std::size_t index = 0; index < requests.size(); ++index) {
        const ZipAddRequest& request = requests[index];
        // Once stopped, nothing more is written: no entry is waited for.
        const PreparedSource* prepared =
            request.folder || observer.stop.stop_requested() ? nullptr : pipeline.waitFor(index);
        results.push_back(addObserved(zip, requests, index, prepared, observer));
        pipeline.written(index);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return results;
}

} // namespace tarvo::zip
