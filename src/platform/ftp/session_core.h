#pragma once

#include "platform/ftp/control_connection.h"
#include "platform/ftp/data_channel.h"
#include "platform/ftp/ftp_session.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

namespace tarvo::ftp::detail {

struct StreamState;

// The state a Session shares with its streams, so that a stream outliving a disconnect or
// the Session itself fails cleanly instead of touching freed memory.
struct SessionCore : std::enable_shared_from_this<SessionCore> {
    // Held around every exchange on the control connection; never while a stream moves data.
    std::mutex exchangeMutex;
    std::unique_ptr<ControlConnection> control;
    std::uint64_t connectionSerial = 0; // tells a stream whether its connection still stands
    FtpError closedReason = FtpError::InvalidHandle;
    Timeouts timeouts;
    DataMode mode = DataMode::Passive;
    // Offset of the RETR being opened (exchangeMutex held); a "REST n" sent as a raw command
    // leaves a marker on the server that must not reach any transfer.
    std::optional<std::uint64_t> restartOffset;
    bool serverHoldsRestart = false;
    std::optional<TransferType> currentType; // as last set by TYPE; unknown after a raw TYPE

    std::atomic<bool> open{false};
    std::atomic<std::uint64_t> cancelGeneration{0};
    // Set by Session::abort(): no command starts until the next connect.
    std::atomic<bool> aborted{false};

    std::mutex streamMutex;
    std::weak_ptr<StreamState> activeStream;

    // Why no command can be sent now, or None (exchangeMutex held).
    FtpError readyForCommand();
    // Drops a connection that can no longer be used after a failed exchange.
    FtpError settle(FtpError error);
    void dropControl(FtpError reason);
    void setActiveStream(const std::shared_ptr<StreamState>& stream);
    void clearActiveStream(const StreamState* stream);
};

// The cancel view of one call: cancelled once Session::cancel() runs after the call began.
class CallContext {
public:
    explicit CallContext(SessionCore& core)
        : core_(core), generation_(core.cancelGeneration.load()),
          cancelled_([this] { return core_.cancelGeneration.load() != generation_; }) {}
    CallContext(const CallContext&) = delete;
    CallContext& operator=(const CallContext&) = delete;

    Wait receiveWait() const { return {Clock::now() + core_.timeouts.receive, cancelled_}; }
    Wait waitUpTo(std::chrono::milliseconds limit) const {
        return {Clock::now() + limit, cancelled_};
    }
    std::uint64_t generation() const { return generation_; }

private:
    SessionCore& core_;
    std::uint64_t generation_;
    CancelCheck cancelled_;
};

struct StreamState {
    // Opened with the session lock held, which is when the session's time-outs may be read.
    StreamState(std::shared_ptr<SessionCore> session, std::uint64_t generation);

    std::shared_ptr<SessionCore> core;
    const std::uint64_t generation;
    const Timeouts timeouts; // a copy: a later connect may change the session's own
    std::uint64_t connectionSerial = 0;
    std::atomic<bool> aborted{false};
    std::mutex dataMutex; // between closing the data socket and abort() shutting it down
    Socket data;
    bool writing = false;
    bool atEnd = false;
    bool finalReplyOwed = false;
    bool closed = false;
    FtpError dataFailure = FtpError::None; // the first failed read or write, cancels aside
    CancelCheck cancelled;

    void abort();
    FtpError read(char* buffer, std::size_t size, std::size_t& received);
    FtpError write(const char* data, std::size_t size);
    FtpError available(std::size_t& count);
    // The bytes already received and not read yet, without waiting; 0 when unknown.
    std::size_t queued() const;
    // `complete` is false when the owner gives up on the transfer without saying so.
    FtpError close(bool complete = true);

private:
    Wait dataWait() const { return {Clock::now() + timeouts.receive, cancelled}; }
    FtpError noteFailure(FtpError error);
    void endDataConnection(bool reset);
    FtpError readFinalReply();
};

// One command whose reply must be of the kind given (2 for 2xx, 3 for 3xx).
FtpError exchangeExpecting(ControlConnection& control, std::string_view command, int kind,
                           const CallContext& call, Reply& reply);

// Sets up a transfer on the locked control connection: TYPE, the data connection, REST when
// due, the command and its 1xx reply.
FtpError openTransfer(SessionCore& core, const CallContext& call, std::string_view command,
                      TransferType type, bool retrieve, std::shared_ptr<StreamState>& stream);

// CR, LF or NUL in an argument would let it smuggle in a second command.
bool safeArgument(std::string_view argument);

} // namespace tarvo::ftp::detail
