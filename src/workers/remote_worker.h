#pragma once

#include "platform/timed_mutex.h"
#include "workers/command_worker.h"

#include <chrono>
#include <functional>

// The remote worker: network commands, deletes, and the local navigation that must not run on
// the GUI thread. Between commands it keeps an open FTP session alive and checks the local
// copies of remote files opened for editing; it sleeps until one of them is due, and not at
// all while neither is.
class TMonThreadH : public CommandWorker {
public:
    // The site's keep-alive settings are counted in passes of the worker's former 100 ms
    // cycle, which the interval keeps.
    static constexpr std::chrono::milliseconds kPass{100};
    // The edited copies are looked at this often while any is watched.
    static constexpr std::chrono::seconds kEditCheck{1};

    struct KeepAliveProfile {
        bool KeepAlive = false;
        int NoopInterval = 900; // in passes of kPass
    };

    struct IdleHooks {
        std::function<KeepAliveProfile()> profile; // the current site's keep-alive settings
        std::function<bool()> sessionShown;        // an FTP listing is in one of the panels
        std::function<void()> sendNoop;            // called while holding the control lock
        std::function<bool()> editedFilesWatched;  // a copy opened for editing is watched
        std::function<void()> checkEditedFiles;
        // After every command and wake-up: finishes a disconnect the window asked for.
        std::function<void()> settleSession;
    };

    TMonThreadH(Mailbox& mailbox, NamedMutex& controlConnection, IdleHooks hooks);
    ~TMonThreadH() override;

protected:
    Mailbox::Clock::time_point nextIdleWork() override;
    void pass(const std::optional<Mailbox::Posted>& command) override;

private:
    Mailbox::Clock::time_point noopDue() const;
    void keepAlive(Mailbox::Clock::time_point now);

    NamedMutex& controlConnection_;
    IdleHooks hooks_;
    // Touched by the worker thread only.
    Mailbox::Clock::time_point lastTraffic_; // the last long command or keep-alive attempt
    Mailbox::Clock::time_point nextEditCheck_;
};
