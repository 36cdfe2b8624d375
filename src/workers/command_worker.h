#pragma once

#include "workers/mailbox.h"

#include <any>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <typeindex>
#include <unordered_map>

// A thread that serves one mailbox: it sleeps until a command comes (or until the deadline of
// its idle work, if it has any), runs it, and goes on until it is asked to stop. Stopping is
// cooperative: the flag is set, the wait is woken and the thread is joined; a running command
// is ended by the program's cancel, never by killing the thread.
class CommandWorker {
public:
    using FailureHandler = std::function<void(int code, const std::string& reason)>;

    explicit CommandWorker(Mailbox& mailbox) : mailbox_(mailbox) {}
    virtual ~CommandWorker();
    CommandWorker(const CommandWorker&) = delete;
    CommandWorker& operator=(const CommandWorker&) = delete;

    // The handler of one command type; a command without a handler is simply done.
    template <class Command> void on(std::function<void(const Command&)> handler) {
        std::lock_guard lock(handlersMutex_);
        handlers_[typeid(Command)] = [handler = std::move(handler)](const std::any& command) {
            handler(std::any_cast<const Command&>(command));
        };
    }
    // Called on the worker thread when a command throws.
    void setFailureHandler(FailureHandler handler);

    void start();
    void requestStop();
    void join();
    void stop();
    // Ends the current wait early, so that the idle work looks at what changed.
    void wake() { mailbox_.wake(); }

    bool stopRequested() const { return stopRequested_.load(); }

protected:
    // When the idle work is next due; the default has none.
    virtual Mailbox::Clock::time_point nextIdleWork() { return Mailbox::Clock::time_point::max(); }
    // One pass of the loop, after a command came or the wait ended; the default runs the command.
    virtual void pass(const std::optional<Mailbox::Posted>& command) { runCommand(command); }
    // Runs the command's handler, reports an exception, and frees the mailbox.
    void runCommand(const std::optional<Mailbox::Posted>& command);

private:
    using Handler = std::function<void(const std::any&)>;

    void loop();

    Handler handlerFor(const std::any& command) const;

    Mailbox& mailbox_;
    mutable std::mutex handlersMutex_;
    std::unordered_map<std::type_index, Handler> handlers_;
    FailureHandler onFailure_;
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};
