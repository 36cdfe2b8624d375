#pragma once

#include "platform/timed_mutex.h"
#include "workers/command_worker.h"

#include <functional>

// The remote worker: network commands, deletes, and the local navigation that must not run on
// the GUI thread. Between commands it keeps an open FTP session alive and, every tenth cycle,
// checks the local copies of remote files opened for editing.
class TMonThreadH : public CommandWorker {
public:
    struct KeepAliveProfile {
        bool KeepAlive = false;
        int NoopInterval = 900; // in cycles of 100 ms
    };

    struct IdleHooks {
        std::function<KeepAliveProfile()> profile; // the current site's keep-alive settings
        std::function<bool()> sessionShown;        // an FTP listing is in one of the panels
        std::function<void()> sendNoop;            // called while holding the control lock
        std::function<void()> checkEditedFiles;
        // Every cycle, after the command: finishes a disconnect the window asked for.
        std::function<void()> settleSession;
    };

    TMonThreadH(Mailbox& mailbox, NamedMutex& controlConnection, IdleHooks hooks);
    ~TMonThreadH() override;

    // Cycles since the last reset (by a keep-alive attempt or a long command).
    int ticks() const { return ticks_.load(); }

protected:
    void pass(const Mailbox::Command& command) override;

private:
    void keepAlive();

    NamedMutex& controlConnection_;
    IdleHooks hooks_;
    std::atomic<int> ticks_{0};
};
