#include "workers/remote_worker.h"

#include "workers/command_codes.h"

namespace {
constexpr std::chrono::milliseconds kControlWait{200};

// Commands after which the idle counter starts again, so that the edited-files check runs in
// the same cycle and the keep-alive waits a whole interval after real traffic.
bool resetsTicks(int code) {
    return code == cmdChangeDir || code == cmdDownload || code == cmdUpload || code == cmdDelete;
}
} // namespace

TMonThreadH::TMonThreadH(Mailbox& mailbox, NamedMutex& controlConnection, IdleHooks hooks)
    : CommandWorker(mailbox), controlConnection_(controlConnection), hooks_(std::move(hooks)) {}

TMonThreadH::~TMonThreadH() {
    stop();
}

void TMonThreadH::pass(const Mailbox::Command& command) {
    ++ticks_;
    runCommand(command);
    if (resetsTicks(command.code))
        ticks_ = 0;
    if (hooks_.settleSession)
        hooks_.settleSession();
    keepAlive();
    if (ticks_ % 10 == 0 && hooks_.checkEditedFiles)
        hooks_.checkEditedFiles();
}

void TMonThreadH::keepAlive() {
    if (!hooks_.profile)
        return;
    const KeepAliveProfile profile = hooks_.profile();
    if (!profile.KeepAlive || profile.NoopInterval >= ticks_)
        return;
    if (TimedLock lock(controlConnection_, kControlWait); lock) {
        if (hooks_.sessionShown && hooks_.sessionShown() && hooks_.sendNoop)
            hooks_.sendNoop();
    }
    ticks_ = 0;
}
