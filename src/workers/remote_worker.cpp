#include "workers/remote_worker.h"

#include "workers/command_codes.h"

#include <algorithm>

namespace {
constexpr std::chrono::milliseconds kControlWait{200};
using Clock = Mailbox::Clock;

// Commands after which the keep-alive waits a whole interval (they were real traffic) and the
// edited-files check runs at once.
bool isTraffic(int code) {
    return code == cmdChangeDir || code == cmdDownload || code == cmdUpload || code == cmdDelete;
}
} // namespace

TMonThreadH::TMonThreadH(Mailbox& mailbox, NamedMutex& controlConnection, IdleHooks hooks)
    : CommandWorker(mailbox), controlConnection_(controlConnection), hooks_(std::move(hooks)),
      lastTraffic_(Clock::now()), nextEditCheck_(lastTraffic_ + kEditCheck) {}

TMonThreadH::~TMonThreadH() {
    stop();
}

Clock::time_point TMonThreadH::noopDue() const {
    if (!hooks_.profile)
        return Clock::time_point::max();
    const KeepAliveProfile profile = hooks_.profile();
    if (!profile.KeepAlive)
        return Clock::time_point::max();
    // The keep-alive goes after more passes than the interval, never after as many.
    return lastTraffic_ + kPass * (std::max(profile.NoopInterval, 0) + 1);
}

Clock::time_point TMonThreadH::nextIdleWork() {
    const bool watching = hooks_.editedFilesWatched && hooks_.editedFilesWatched();
    return std::min(noopDue(), watching ? nextEditCheck_ : Clock::time_point::max());
}

void TMonThreadH::pass(const std::optional<Mailbox::Posted>& command) {
    runCommand(command);
    const bool traffic = command && isTraffic(command->id);
    const Clock::time_point now = Clock::now();
    if (traffic)
        lastTraffic_ = now;
    if (hooks_.settleSession)
        hooks_.settleSession();
    keepAlive(now);
    if (traffic || now >= nextEditCheck_) {
        nextEditCheck_ = now + kEditCheck;
        if (hooks_.checkEditedFiles)
            hooks_.checkEditedFiles();
    }
}

void TMonThreadH::keepAlive(Clock::time_point now) {
    if (now < noopDue())
        return;
    if (TimedLock lock(controlConnection_, kControlWait); lock) {
        if (hooks_.sessionShown && hooks_.sessionShown() && hooks_.sendNoop)
            hooks_.sendNoop();
    }
    lastTraffic_ = Clock::now();
}
