#include "local/zip/parallel_packer.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <stop_token>
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

// Entries are claimed in order, by the compressing threads or, when it gets there first, by the
// writing thread; the writing thread takes them in the same order.
class Pipeline {
public:
    Pipeline(std::size_t count, const PackingSteps& steps) : steps_(steps), slots_(count) {}

    void compressAhead(std::stop_token stop) {
        std::optional<EntryEncoder> encoder;
        try {
            encoder.emplace();
        } catch (...) {
            return; // the writer does this thread's share
        }
        while (const auto index = claim(stop)) {
            PreparedSource prepared;
            bool done = false;
            try {
                done = steps_.prepare(
                    *index, [&](std::uint64_t size) { return admit(*index, size, stop); }, *encoder,
                    prepared);
            } catch (...) {
                done = false; // the writer tries again on its own and reports what it meets
            }
            {
                std::lock_guard lock(mutex_);
                slots_[*index].state = done ? SlotState::Prepared : SlotState::LeftToWriter;
                if (done) {
                    slots_[*index].prepared = std::move(prepared);
                }
            }
            changed_.notify_all();
        }
    }

    // The prepared data of the entry whose turn it is, or null when the writer is to do it.
    const PreparedSource* takeTurn(std::size_t index) {
        std::unique_lock lock(mutex_);
        if (nextClaim_ == index) {
            ++nextClaim_;
            slots_[index].state = SlotState::LeftToWriter;
        }
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
    std::optional<std::size_t> claim(const std::stop_token& stop) {
        std::lock_guard lock(mutex_);
        if (stop.stop_requested() || nextClaim_ == slots_.size()) {
            return std::nullopt;
        }
        return nextClaim_++;
    }

    // The entry next in line is always let through, so the writer never waits on the budget.
    bool admit(std::size_t index, std::uint64_t size, const std::stop_token& stop) {
        if (size > MaxPreparedSize) {
            return false;
        }
        std::unique_lock lock(mutex_);
        if (!changed_.wait(lock, stop, [&] {
                return index == nextWrite_ || inFlight_ + size <= MemoryBudget;
            })) {
            return false;
        }
        inFlight_ += size;
        slots_[index].reserved = size;
        return true;
    }

    const PackingSteps& steps_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::size_t nextClaim_ = 0;
    std::size_t nextWrite_ = 0;
    std::uint64_t inFlight_ = 0;
};

ZipResult writeGuarded(const PackingSteps& steps, std::size_t index,
                       const PreparedSource* prepared) {
    try {
        return steps.write(index, prepared);
    } catch (const std::bad_alloc&) {
        return ZipNoMemory;
    } catch (...) {
        return ZipWriteError;
    }
}

} // namespace

std::vector<ZipResult> packInOrder(std::size_t count, unsigned threads, const PackingSteps& steps) {
    std::vector<ZipResult> results(count, ZipOk);
    if (threads <= 1) {
        for (std::size_t index = 0; index < count; ++index) {
            results[index] = writeGuarded(steps, index, nullptr);
        }
        return results;
    }
    Pipeline pipeline(count, steps);
    // Declared after the pipeline, so that they are stopped and joined before it goes away.
    std::vector<std::jthread> workers;
    try {
        workers.reserve(threads);
        for (unsigned i = 0; i < threads; ++i) {
            workers.emplace_back(
                [&pipeline](std::stop_token stop) { pipeline.compressAhead(stop); });
        }
    } catch (...) {
        // Fewer threads, or none: the writer claims whatever no one else has.
    }
    for (std::size_t index = 0; index < count; ++index) {
        results[index] = writeGuarded(steps, index, pipeline.takeTurn(index));
        pipeline.written(index);
    }
    return results;
}

std::vector<ZipResult> addEntriesInParallel(TZip& zip, const std::vector<ZipAddRequest>& requests,
                                            unsigned threads, const ZipAddObserver& observer) {
    zip.setStop(observer.stop);
    PackingSteps steps;
    steps.prepare = [&](std::size_t index, const TZip::SizeGate& admit, EntryEncoder& encoder,
                        PreparedSource& prepared) {
        const ZipAddRequest& request = requests[index];
        if (request.folder || observer.stop.stop_requested()) {
            return false;
        }
        encoder.setStop(observer.stop);
        return TZip::prepare(request.nameInArchive, request.sourcePath, admit, encoder, prepared);
    };
    steps.write = [&](std::size_t index, const PreparedSource* prepared) {
        // Once stopped, no entry is begun.
        ZipResult result = ZipCancelled;
        if (!observer.stop.stop_requested()) {
            if (observer.starting) {
                observer.starting(index);
            }
            const ZipAddRequest& request = requests[index];
            result = request.folder
                         ? zip.addDirectory(request.nameInArchive)
                         : zip.addFile(request.nameInArchive, request.sourcePath, prepared);
        }
        if (observer.finished) {
            observer.finished(index, result);
        }
        return result;
    };
    return packInOrder(requests.size(), threads, steps);
}

} // namespace tarvo::zip
