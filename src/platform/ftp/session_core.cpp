#include "platform/ftp/session_core.h"

#include <sys/ioctl.h>
#include <sys/socket.h>

#include <poll.h>

namespace tarvo::ftp::detail {

bool safeArgument(std::string_view argument) {
    return argument.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

FtpError SessionCore::readyForCommand() {
    if (aborted)
        return FtpError::Cancelled;
    if (!control)
        return closedReason;
    std::lock_guard lock(streamMutex);
    return activeStream.expired() ? FtpError::None : FtpError::TransferInProgress;
}

FtpError SessionCore::settle(FtpError error) {
    if (control && !control->usable())
        dropControl(FtpError::ControlClosed);
    return error;
}

void SessionCore::dropControl(FtpError reason) {
    {
        // A stream of the dropped connection can no longer finish; it fails from now on.
        std::lock_guard lock(streamMutex);
        if (const auto stream = activeStream.lock())
            stream->abort();
        activeStream.reset();
    }
    control.reset();
    closedReason = reason;
    restartOffset.reset();
    serverHoldsRestart = false;
    currentType.reset();
    open = false;
}

void SessionCore::setActiveStream(const std::shared_ptr<StreamState>& stream) {
    std::lock_guard lock(streamMutex);
    activeStream = stream;
}

void SessionCore::clearActiveStream(const StreamState* stream) {
    std::lock_guard lock(streamMutex);
    if (activeStream.lock().get() == stream)
        activeStream.reset();
}

namespace {

// After a failed transfer the server's final reply is waited for only briefly: a peer that
// stalled its data connection is likely to stall the reply too.
constexpr std::chrono::milliseconds kFinalReplyGrace{3'000};

} // namespace

StreamState::StreamState(std::shared_ptr<SessionCore> session, std::uint64_t callGeneration)
    : core(std::move(session)), generation(callGeneration), timeouts(core->timeouts),
      cancelled([this] { return aborted.load() || core->cancelGeneration.load() != generation; }) {}

void StreamState::abort() {
    aborted = true;
    std::lock_guard lock(dataMutex);
    if (data.valid())
        ::shutdown(data.fd(), SHUT_RDWR); // wakes a blocked read or write at once
}

FtpError StreamState::noteFailure(FtpError error) {
    if (cancelled())
        return FtpError::Cancelled;
    if (error != FtpError::None && dataFailure == FtpError::None)
        dataFailure = error;
    return error;
}

FtpError StreamState::read(char* buffer, std::size_t size, std::size_t& received) {
    received = 0;
    if (closed || writing)
        return FtpError::InvalidHandle;
    if (cancelled())
        return FtpError::Cancelled;
    if (atEnd || size == 0)
        return FtpError::None;
    const FtpError error = receiveSome(data.fd(), buffer, size, dataWait(), received);
    // A shutdown by abort() looks like the end of the data: only the flag tells them apart.
    if (cancelled())
        return FtpError::Cancelled;
    if (error == FtpError::None && received == 0)
        atEnd = true;
    return noteFailure(error);
}

FtpError StreamState::write(const char* bytes, std::size_t size) {
    if (closed || !writing)
        return FtpError::InvalidHandle;
    if (cancelled())
        return FtpError::Cancelled;
    return noteFailure(sendAll(data.fd(), bytes, size, dataWait()));
}

FtpError StreamState::available(std::size_t& count) {
    count = 0;
    if (closed || writing)
        return FtpError::InvalidHandle;
    if (cancelled())
        return FtpError::Cancelled;
    if (atEnd)
        return FtpError::None;
    if (const FtpError error = waitFor(data.fd(), POLLIN, dataWait()); error != FtpError::None)
        return noteFailure(error);
    int pending = 0;
    if (::ioctl(data.fd(), FIONREAD, &pending) != 0)
        return noteFailure(FtpError::ConnectionAborted);
    if (cancelled())
        return FtpError::Cancelled;
    // Readable with nothing pending is the end of the data (or an error the read will show).
    count = static_cast<std::size_t>(pending);
    return FtpError::None;
}

std::size_t StreamState::queued() const {
    int pending = 0;
    if (closed || atEnd || ::ioctl(data.fd(), FIONREAD, &pending) != 0 || pending < 0)
        return 0;
    return static_cast<std::size_t>(pending);
}

void StreamState::endDataConnection(bool reset) {
    std::lock_guard lock(dataMutex);
    if (reset && data.valid()) {
        // A reset instead of a graceful end: the server must not take a cut upload for a
        // whole file, nor keep sending a download nobody reads.
        const linger immediate{1, 0};
        ::setsockopt(data.fd(), SOL_SOCKET, SO_LINGER, &immediate, sizeof immediate);
    }
    data.close();
}

FtpError StreamState::close(bool complete) {
    if (closed)
        return FtpError::InvalidHandle;
    closed = true;
    const bool wasCancelled = cancelled();
    if (!complete && dataFailure == FtpError::None)
        dataFailure = FtpError::Cancelled;
    endDataConnection(wasCancelled || dataFailure != FtpError::None);
    if (!finalReplyOwed) {
        core->clearActiveStream(this);
        return wasCancelled ? FtpError::Cancelled : FtpError::None;
    }
    std::lock_guard lock(core->exchangeMutex);
    // Commands of other threads wait until the final reply is read: one sent earlier would
    // take that reply for its own.
    core->clearActiveStream(this);
    if (!core->control || core->connectionSerial != connectionSerial)
        return wasCancelled ? FtpError::Cancelled : core->closedReason;
    if (wasCancelled)
        return FtpError::Cancelled; // the final reply stays owed; the next command reads it
    return core->settle(readFinalReply());
}

// The server's verdict on the transfer (exchangeMutex held). After a failed read or write the
// transfer has failed whatever the server says; its reply is read within a short grace only,
// and a server that does not send it in time loses the connection.
FtpError StreamState::readFinalReply() {
    const bool failed = dataFailure != FtpError::None;
    const Wait wait{Clock::now() +
                        (failed ? std::min(timeouts.receive, kFinalReplyGrace) : timeouts.receive),
                    cancelled};
    Reply reply;
    FtpError error = core->control->readFinalReply(wait, reply);
    if (error == FtpError::None && reply.kind() != 2)
        error = refusal(reply);
    return failed ? dataFailure : error;
}

FtpError exchangeExpecting(ControlConnection& control, std::string_view command, int kind,
                           const CallContext& call, Reply& reply) {
    if (const FtpError error = control.exchange(command, call.receiveWait(), reply);
        error != FtpError::None)
        return error;
    return reply.kind() == kind ? FtpError::None : refusal(reply);
}

namespace {

FtpError expectKind(ControlConnection& control, std::string_view command, int kind,
                    const CallContext& call) {
    Reply reply;
    return exchangeExpecting(control, command, kind, call, reply);
}

// A marker left by a raw "REST n" is cleared first, while the type is still the binary one the
// REST was accepted in (some servers refuse REST in ASCII); a download with its own offset
// replaces it anyway.
FtpError clearStaleRestart(SessionCore& core, const CallContext& call, bool retrieve) {
    const bool stale = core.serverHoldsRestart && !(retrieve && core.restartOffset);
    if (!stale)
        return FtpError::None;
    core.restartOffset.reset();
    core.serverHoldsRestart = false;
    return expectKind(*core.control, "REST 0", 3, call);
}

// A download's own offset is sent right before its RETR, after TYPE and the passive or port
// command.
FtpError applyRestart(SessionCore& core, const CallContext& call, bool retrieve) {
    const auto offset = retrieve ? core.restartOffset : std::nullopt;
    core.restartOffset.reset();
    core.serverHoldsRestart = false;
    return offset ? expectKind(*core.control, "REST " + std::to_string(*offset), 3, call)
                  : FtpError::None;
}

} // namespace

FtpError openTransfer(SessionCore& core, const CallContext& call, std::string_view command,
                      TransferType type, bool retrieve, std::shared_ptr<StreamState>& stream) {
    ControlConnection& control = *core.control;
    if (const FtpError error = clearStaleRestart(core, call, retrieve); error != FtpError::None)
        return error;
    if (const FtpError error =
            expectKind(control, type == TransferType::Ascii ? "TYPE A" : "TYPE I", 2, call);
        error != FtpError::None)
        return error;
    core.currentType = type;
    DataChannel channel;
    if (const FtpError error = channel.prepare(control, core.mode, call.receiveWait());
        error != FtpError::None)
        return error;
    if (const FtpError error = applyRestart(core, call, retrieve); error != FtpError::None)
        return error;
    // Only the first reply is read here: a 1xx opens the transfer, the final reply follows
    // its data and is read by the stream's close.
    Reply reply;
    const Wait wait = call.receiveWait();
    if (const FtpError error = control.sendCommand(command, wait); error != FtpError::None)
        return error;
    if (const FtpError error = control.readReply(wait, reply); error != FtpError::None)
        return error;
    auto state = std::make_shared<StreamState>(core.shared_from_this(), call.generation());
    state->connectionSerial = core.connectionSerial;
    if (reply.preliminary()) {
        // From here on the final reply is owed, also when the data connection fails.
        if (const FtpError error = channel.complete(control, call.receiveWait(), state->data);
            error != FtpError::None)
            return error;
        state->finalReplyOwed = true;
    } else if (reply.kind() == 2) {
        state->atEnd = true; // nothing to transfer
    } else {
        return refusal(reply);
    }
    stream = std::move(state);
    return FtpError::None;
}

} // namespace tarvo::ftp::detail
