#pragma once

#include <any>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// What became of a posted command.
enum class PostResult {
    Started, // the worker was idle: it takes the command now
    Queued,  // the worker finishes a short command first, then runs this one
    Refused, // a long job runs or waits: the command is not taken
    Full,    // too many short commands wait already: the command is not taken
};

inline bool taken(PostResult result) {
    return result == PostResult::Started || result == PostResult::Queued;
}

// A worker's mailbox: the command it runs and the few that wait for it, in the order they were
// posted. A short command (a listing, a change of folder, a refresh) waits behind another short
// one, so that a key pressed while the worker is busy for a moment is not lost; nothing is
// taken while a long job (a copy, a transfer, a delete) runs or waits, because the user would
// otherwise find it run long after, on panels that have changed.
class Mailbox {
public:
    using Clock = std::chrono::steady_clock;

    struct Posted {
        int id = 0; // the command's code, for the logs
        bool isLong = false;
        std::any command;
    };

    // More than this many waiting short commands means the worker hangs: refuse rather than
    // pile up work the user no longer expects.
    static constexpr std::size_t kMaxWaiting = 16;

    template <class Command> [[nodiscard]] PostResult post(Command command) {
        return post(Posted{Command::id, isLong<Command>(), std::move(command)});
    }

    // Nothing runs and nothing waits.
    bool idle() const;
    // A command of this type runs or waits.
    template <class Command> bool holds() const { return holds(Command::id); }

    // The worker's side. Waits until a command waits, wake() is called or the deadline passes
    // (never when it is Clock::time_point::max()); the command taken runs until finish().
    std::optional<Posted> take(Clock::time_point deadline);
    void finish();
    void wake();
    // Called on the worker whenever it has finished a command and none waits.
    void setSettledHandler(std::function<void()> handler);

private:
    template <class Command> static constexpr bool isLong() {
        if constexpr (requires { Command::isLong; })
            return Command::isLong;
        return false;
    }
    PostResult post(Posted posted);
    bool holds(int id) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Posted> waiting_;
    int runningId_ = 0; // 0 when none runs
    bool runningLong_ = false;
    bool woken_ = false;
    std::function<void()> settled_;
};
