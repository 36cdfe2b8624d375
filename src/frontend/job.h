#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>

// How far a long piece of work has come. The worker running it writes the counters as it goes;
// the window's timer reads them once per tick, so progress never costs a post per chunk.
class JobProgress {
public:
    // Of the file being worked on.
    std::atomic<std::int64_t> bytesDone{0};
    std::atomic<std::int64_t> bytesTotal{0}; // 0 while unknown
    // Of the whole job so far, for the speed.
    std::atomic<std::int64_t> bytesMoved{0};
    std::atomic<int> itemsDone{0};
    std::atomic<int> itemsTotal{0};

    // The item being worked on, for the status line.
    void setCurrentItem(std::string name) {
        std::lock_guard lock(mutex_);
        currentItem_ = std::move(name);
    }
    std::string currentItem() const {
        std::lock_guard lock(mutex_);
        return currentItem_;
    }

private:
    mutable std::mutex mutex_;
    std::string currentItem_;
};

// One long piece of work: a copy or move, a transfer batch, a pack. The window builds it from a
// snapshot of what the command works on and hands it to a worker; the cancel button requests its
// stop. Each job has its own stop source, so a new job never clears a cancel meant for the old
// one. Code that blocks (an FTP stream, a socket wait) registers a std::stop_callback on the
// token that aborts the blocking call, which then fails and returns.
class Job {
public:
    std::stop_token stopToken() const { return stop_.get_token(); }
    void requestStop() { stop_.request_stop(); }
    bool stopRequested() const { return stop_.stop_requested(); }

    JobProgress progress;

    // The sticky answer of the job's overwrite questions: 0 ask, 10 yes to all, 9 no to all.
    // A Cancel answer stops the job instead.
    std::atomic<int> OverwriteAnswer{0};

private:
    std::stop_source stop_;
};
