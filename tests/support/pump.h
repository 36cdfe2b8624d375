#pragma once

#include "workers/mailbox.h"

#include <QCoreApplication>

#include <chrono>

// Runs the GUI thread's events until condition holds or a generous deadline passes (sanitizer
// builds on a loaded machine are slow); returns whether it holds. Tests wait for outcomes this
// way, never for a fixed time.
template <class Condition>
bool pumpUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const bool met = condition();
        // What a worker posted before the condition came true (a listing, say, before its
        // mailbox went idle) reaches the screen before the test looks.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (met)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

// Posts to a worker's mailbox once it takes the post: a job the screen started meanwhile may
// still be running.
template <class Command> bool postWhenTaken(Mailbox& mailbox, const Command& command) {
    return pumpUntil([&] { return mailbox.post(command) != PostResult::Refused; });
}
