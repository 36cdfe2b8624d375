#pragma once

#include "frontend/row_origin.h"

#include <chrono>
#include <optional>
#include <string>

// What the status line says of a command that was not taken.
std::string refusalText(Refusal why);

// How long a refusal stays on the status line: at least a few seconds, so that it can be read
// even when the worker was about to finish, and no longer than until the workers have run every
// command given to them, so that it never outlives what it was about. Meanwhile the progress
// texts leave the line to it.
class RefusalNotice {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kLeastShown = std::chrono::seconds(3);

    void shown(Clock::time_point now) { shownAt_ = now; }
    void cleared() { shownAt_.reset(); }
    bool showing() const { return shownAt_.has_value(); }
    // Still within its least time: the line is its own.
    bool held(Clock::time_point now) const { return left(now) > Clock::duration::zero(); }
    // How much of its least time is left; zero when it may go.
    Clock::duration left(Clock::time_point now) const;

private:
    std::optional<Clock::time_point> shownAt_;
};
