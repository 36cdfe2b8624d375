#pragma once

#include <QCoreApplication>

#include <chrono>

// Runs the GUI thread's events until condition holds or a generous deadline passes; returns
// whether it holds. Tests wait for outcomes this way, never for a fixed time.
template <class Condition>
bool pumpUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}
