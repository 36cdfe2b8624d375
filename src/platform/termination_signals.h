#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that a program asked to end
// by the system or a terminal closes the normal way and saves what it keeps. The signal handler
// itself only writes a byte to a pipe; a notifier on the pipe's other end makes the call.
// Only one instance handles the signals at a time: while one lives, further ones stay inert.
// The previous handlers come back when the active instance goes away.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool active() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};
