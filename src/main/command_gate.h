#pragma once

#include "frontend/row_origin.h"
#include "workers/mailbox.h"

#include <functional>

class PanelPair;

// Whether a command the user gives may run now, and the status line's word when it is not run:
// the panels wait while a command runs, and a worker's mailbox may refuse a command or be full.
class CommandGate {
public:
    struct Hooks {
        std::function<bool()> jobRunning;    // a file job or an archive job holds the panels
        std::function<void(Refusal)> refuse; // the status line says why
    };

    CommandGate(const PanelPair& panels, Hooks hooks) : panels_(panels), hooks_(std::move(hooks)) {}

    // Whether a command of the user's may run now; when the panels wait for a command, the
    // status line says why it was not taken.
    bool take();
    // A command the worker did not take says so on the status line.
    void report(PostResult result);
    void refuse(Refusal why) { hooks_.refuse(why); }

private:
    const PanelPair& panels_;
    const Hooks hooks_;
};
