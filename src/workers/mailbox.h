#pragma once

#include "workers/command_params.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// A worker's mailbox. It holds a command code from the post until the worker has finished that
// command (the busy state); a post succeeds only while it is idle (code 0) and carries a copy of
// its parameters. The worker clears only the code it ran, so nothing posted meanwhile is lost.
class Mailbox {
public:
    struct Command {
        int code = 0;
        CommandParams params;
    };

    // False when another command is pending or running.
    bool post(int code, CommandParams params = {});

    // The current code; 0 when idle.
    int code() const { return code_.load(); }
    bool idle() const { return code() == 0; }

    // Waits up to timeout for a command (or a wake-up) and returns the pending one, code 0 if none.
    Command wait(std::chrono::milliseconds timeout);

    // Marks the command as done: clears the mailbox if it still holds that code.
    void finish(int code);

    // Ends a wait early (used to stop the worker).
    void wake();

private:
    std::atomic<int> code_{0};
    mutable std::mutex mutex_; // guards params_ and the wake-up
    std::condition_variable posted_;
    CommandParams params_;
    bool woken_ = false;
};
