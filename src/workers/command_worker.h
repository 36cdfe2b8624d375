#pragma once

#include "workers/mailbox.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

// A thread that serves one mailbox: it waits for a command (at most one cycle of 100 ms, which
// also paces its idle work), runs it, and goes on until it is asked to stop. Stopping is
// cooperative: the flag is set, the wait is woken and the thread is joined; a running command
// is ended by the program's cancel, never by killing the thread.
class CommandWorker {
public:
    using Handler = std::function<void(const CommandParams&)>;
    using FailureHandler = std::function<void(int code, const std::string& reason)>;

    static constexpr std::chrono::milliseconds kCycle{100};

    explicit CommandWorker(Mailbox& mailbox) : mailbox_(mailbox) {}
    virtual ~CommandWorker();
    CommandWorker(const CommandWorker&) = delete;
    CommandWorker& operator=(const CommandWorker&) = delete;

    // A code without a handler is simply cleared.
    void setHandler(int code, Handler handler);
    // Called on the worker thread when a command throws; the mailbox is cleared after it.
    void setFailureHandler(FailureHandler handler);

    void start();
    void requestStop();
    void join();
    void stop();

    bool stopRequested() const { return stopRequested_.load(); }

protected:
    // One cycle of the loop; the default runs the command, if any.
    virtual void pass(const Mailbox::Command& command) { runCommand(command); }
    // Runs the command's handler, reports an exception, and clears the mailbox.
    void runCommand(const Mailbox::Command& command);

private:
    void loop();

    Handler handlerFor(int code) const;

    Mailbox& mailbox_;
    mutable std::mutex handlersMutex_;
    std::unordered_map<int, Handler> handlers_;
    FailureHandler onFailure_;
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};
