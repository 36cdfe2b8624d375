#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A lock of this process known by name. Every wait on it has a time-out, after which the
// waiter skips its work instead of blocking a thread (or the screen) indefinitely.
// Recursive, because a holder may call into code that takes the same lock again.
// Built from a plain mutex and a condition variable rather than a timed mutex: the waits then
// use the steady clock, and every hand-over is a mutex operation the thread checker sees.
class NamedMutex {
public:
    explicit NamedMutex(std::string name) : name_(std::move(name)) {}
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    const std::string& name() const { return name_; }
    bool tryLockFor(std::chrono::milliseconds timeout);
    void unlock();

private:
    std::string name_;
    std::mutex state_; // guards owner_ and depth_
    std::condition_variable released_;
    std::thread::id owner_;
    int depth_ = 0;
};

// Holds a NamedMutex for a scope when it could be taken within the time-out.
class TimedLock {
public:
    TimedLock(NamedMutex& mutex, std::chrono::milliseconds timeout)
        : mutex_(mutex), owned_(mutex.tryLockFor(timeout)) {}
    ~TimedLock() {
        if (owned_)
            mutex_.unlock();
    }
    TimedLock(const TimedLock&) = delete;
    TimedLock& operator=(const TimedLock&) = delete;

    explicit operator bool() const { return owned_; }

private:
    NamedMutex& mutex_;
    bool owned_;
};

// The locks that guard what the worker threads share with the screen. The progress strip needs
// none: the window's thread owns it and reads the workers' atomic counters.
struct SharedLocks {
    NamedMutex dialog{"DialogMutex3"}; // one local overwrite question at a time
    NamedMutex control{"NOOPMutex4"};  // the FTP control connection: keep-alive and raw commands
};
