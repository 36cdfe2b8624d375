#include "platform/ftp/ftp_session.h"

#include "platform/ftp/listing_pipeline.h"
#include "platform/ftp/session_core.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace tarvo::ftp {

using detail::CallContext;
using detail::ControlConnection;
using detail::Reply;
using detail::SessionCore;

namespace {

// A QUIT must not hold up a disconnect for long: the connection is closed either way.
constexpr std::chrono::milliseconds kQuitReplyTimeout{2'000};
// Bounds what a hostile server can make a listing hold in memory.
constexpr std::size_t kMaxListingSize = std::size_t{256} * 1024 * 1024;

bool safeArguments(std::initializer_list<std::string_view> arguments) {
    for (const std::string_view argument : arguments) {
        if (!detail::safeArgument(argument))
            return false;
    }
    return true;
}

FtpError finish(FtpError error) {
    detail::setLastError(error);
    return error;
}

// Runs one call on the control connection: clears the thread's replies, refuses unsafe
// arguments before anything is sent, and holds the session lock around the exchange.
template <typename Body>
FtpError runExchange(SessionCore& core, std::initializer_list<std::string_view> arguments,
                     Body&& body) {
    detail::beginExchangeCall();
    if (!safeArguments(arguments))
        return finish(FtpError::InvalidArgument);
    const CallContext call(core);
    std::lock_guard lock(core.exchangeMutex);
    FtpError error = core.readyForCommand();
    if (error == FtpError::None)
        error = core.settle(body(*core.control, call));
    return finish(error);
}

bool simpleCommand(SessionCore& core, std::string_view verb, std::string_view path) {
    return runExchange(core, {path}, [&](ControlConnection& control, const CallContext& call) {
               Reply reply;
               return detail::exchangeExpecting(
                   control, std::string(verb) + ' ' + std::string(path), 2, call, reply);
           }) == FtpError::None;
}

// The quoted path of a 257 reply; a doubled quote inside stands for one. A quote is closed on
// its own line: a path never spans the lines of a reply, whose next line starts with its code.
std::optional<std::string> quotedPath(std::string_view text) {
    auto pos = text.find('"');
    if (pos == std::string_view::npos)
        return std::nullopt;
    const std::string_view line = text.substr(0, text.find('\n', pos));
    std::string path;
    for (++pos; pos < line.size(); ++pos) {
        if (line[pos] != '"') {
            path += line[pos];
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
            path += '"';
            ++pos;
        } else {
            return path;
        }
    }
    return std::nullopt;
}

// The number of a one-line "213 n" reply, nothing else.
std::optional<std::uint64_t> sizeInReply(const Reply& reply) {
    constexpr std::string_view kPrefix = "213 ";
    const std::string_view text = reply.text;
    if (reply.code != 213 || !text.starts_with(kPrefix))
        return std::nullopt;
    const std::string_view digits = text.substr(kPrefix.size());
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return size;
}

// Whether the command line starts with the four-letter verb, in any case.
bool startsWithVerb(std::string_view line, std::string_view verb) {
    if (line.size() < verb.size() || (line.size() > verb.size() && line[verb.size()] != ' '))
        return false;
    for (std::size_t i = 0; i < verb.size(); ++i) {
        if ((line[i] | 0x20) != (verb[i] | 0x20))
            return false;
    }
    return true;
}

// Some servers refuse REST in ASCII mode, and the offset is meant for a binary RETR anyway.
// The TYPE reply is kept out of lastResponse(), where the caller looks for the 350.
void switchToBinaryQuietly(SessionCore& core, const CallContext& call) {
    if (core.currentType == TransferType::Binary)
        return;
    Reply reply;
    if (core.control->exchange("TYPE I", call.receiveWait(), reply, false) == FtpError::None &&
        reply.kind() == 2)
        core.currentType = TransferType::Binary;
}

// Notes that an accepted raw "REST n" left a marker the next transfer must clear first.
void noteRestart(SessionCore& core, std::string_view line) {
    std::string_view argument = line.substr(std::min<std::size_t>(line.size(), 5));
    std::uint64_t offset = 0;
    const auto [end, error] =
        std::from_chars(argument.data(), argument.data() + argument.size(), offset);
    const bool parsed = error == std::errc() && end == argument.data() + argument.size();
    core.serverHoldsRestart = !parsed || offset > 0;
}

// Reads the greeting, within what is left of the connect's time-out, and logs in: USER, then
// PASS when the server asks for it (331).
FtpError logIn(ControlConnection& control, const ConnectOptions& options, const CallContext& call,
               const detail::Wait& greetingWait) {
    Reply reply;
    if (const FtpError error = control.readFinalReply(greetingWait, reply); error != FtpError::None)
        return error;
    if (reply.code != 220)
        return reply.code == 421 ? FtpError::ControlClosed : FtpError::CannotConnect;
    if (const FtpError error = control.exchange("USER " + options.user, call.receiveWait(), reply);
        error != FtpError::None)
        return error;
    if (reply.kind() == 2)
        return FtpError::None;
    if (reply.code != 331)
        return reply.code == 421 ? FtpError::ControlClosed : FtpError::LoginFailed;
    if (const FtpError error =
            control.exchange("PASS " + options.password, call.receiveWait(), reply);
        error != FtpError::None)
        return error;
    if (reply.kind() == 2)
        return FtpError::None;
    if (reply.code == 421)
        return FtpError::ControlClosed;
    // 530 and the like refuse the password; 532 asks for an account, which we do not send.
    return reply.kind() == 5 && reply.code != 532 ? FtpError::PasswordRefused
                                                  : FtpError::LoginFailed;
}

} // namespace

Session::Session() : core_(std::make_shared<SessionCore>()) {}

Session::~Session() {
    disconnect();
}

bool Session::connect(const ConnectOptions& options) {
    detail::beginExchangeCall();
    if (!safeArguments({options.host, options.user, options.password}))
        return finish(FtpError::InvalidArgument) == FtpError::None;
    SessionCore& core = *core_;
    const CallContext call(core);
    // One deadline for the lookup, the connection and the greeting. The lookup runs before the
    // session lock is taken, so that cancel() and disconnect() never wait for the resolver.
    const detail::Wait connectWait = call.waitUpTo(options.timeouts.connect);
    std::vector<detail::Endpoint> addresses;
    const FtpError resolved = detail::resolve(options.host, options.port, connectWait, addresses);
    std::lock_guard lock(core.exchangeMutex);
    core.dropControl(FtpError::InvalidHandle);
    core.aborted = false;
    if (resolved != FtpError::None)
        return finish(resolved) == FtpError::None;
    core.timeouts = options.timeouts;
    core.mode = options.mode == TransferMode::Passive ? detail::DataMode::Passive
                                                      : detail::DataMode::Active;
    detail::Socket socket;
    if (const FtpError error = detail::connectToAny(addresses, connectWait, socket);
        error != FtpError::None)
        return finish(error) == FtpError::None;
    core.control = std::make_unique<ControlConnection>(std::move(socket));
    ++core.connectionSerial;

    const FtpError error = logIn(*core.control, options, call, connectWait);
    if (error == FtpError::None)
        core.open = true;
    else
        core.dropControl(FtpError::InvalidHandle);
    return finish(error) == FtpError::None;
}

void Session::disconnect() {
    detail::beginExchangeCall();
    cancel();
    SessionCore& core = *core_;
    const CallContext call(core);
    std::lock_guard lock(core.exchangeMutex);
    if (core.control && core.control->usable() && !core.control->owesReplies()) {
        Reply reply;
        core.control->exchange("QUIT", call.waitUpTo(kQuitReplyTimeout), reply);
    }
    core.dropControl(FtpError::InvalidHandle);
    finish(FtpError::None);
}

void Session::abort() {
    core_->aborted = true;
    cancel();
}

void Session::drop() {
    cancel();
    SessionCore& core = *core_;
    std::lock_guard lock(core.exchangeMutex);
    core.dropControl(FtpError::InvalidHandle);
}

bool Session::connected() const {
    return core_->open;
}

void Session::cancel() {
    ++core_->cancelGeneration;
    std::lock_guard lock(core_->streamMutex);
    if (const auto stream = core_->activeStream.lock())
        stream->abort();
}

bool Session::command(std::string_view line) {
    return runExchange(*core_, {line}, [&](ControlConnection& control, const CallContext& call) {
               Reply reply;
               if (startsWithVerb(line, "REST"))
                   switchToBinaryQuietly(*core_, call);
               if (const FtpError error =
                       control.exchange(std::string(line), call.receiveWait(), reply);
                   error != FtpError::None)
                   return error;
               if (reply.kind() != 2 && reply.kind() != 3)
                   return detail::refusal(reply);
               if (startsWithVerb(line, "REST") && reply.code == 350)
                   noteRestart(*core_, line);
               if (startsWithVerb(line, "TYPE"))
                   core_->currentType.reset();
               return FtpError::None;
           }) == FtpError::None;
}

namespace {

std::shared_ptr<detail::StreamState> openStreamState(SessionCore& core, std::string_view path,
                                                     const std::string& command, TransferType type,
                                                     bool retrieve, bool writing,
                                                     std::uint64_t offset) {
    std::shared_ptr<detail::StreamState> state;
    const FtpError error =
        runExchange(core, {path}, [&](ControlConnection&, const CallContext& call) {
            core.restartOffset = retrieve && offset > 0 ? std::optional(offset) : std::nullopt;
            const FtpError opened =
                detail::openTransfer(core, call, command, type, retrieve, state);
            if (opened == FtpError::None) {
                // Registered before the lock is released, so that no command slips in
                // between the transfer command and its final reply.
                state->writing = writing;
                core.setActiveStream(state);
            }
            return opened;
        });
    return error == FtpError::None ? state : nullptr;
}

std::unique_ptr<Stream> openStream(SessionCore& core, std::string_view path,
                                   const std::string& command, TransferType type, bool retrieve,
                                   bool writing, std::uint64_t offset = 0) {
    auto state = openStreamState(core, path, command, type, retrieve, writing, offset);
    return state ? std::make_unique<Stream>(std::move(state)) : nullptr;
}

// Reads a listing while a thread of the pipeline's own parses it, so that parsing overlaps the
// server's work and never holds up the reads; the replies of the LIST stay together in
// lastResponse().
FtpError readListing(detail::StreamState& stream, Listing& listing, const ListingSink& sink,
                     std::size_t& count) {
    detail::ListingPipeline pipeline(sink, currentLocalTime(), listing);
    std::size_t total = 0;
    for (;;) {
        const std::span<char> room = pipeline.room();
        std::size_t received = 0;
        FtpError error = stream.read(room.data(), room.size(), received);
        total += received;
        if (error == FtpError::None && total > kMaxListingSize)
            error = FtpError::ConnectionAborted;
        if (error != FtpError::None) {
            stream.close(false); // a failed transfer: reset, and its reply waited for briefly
            return error;
        }
        if (received == 0) {
            // The final reply is read while the last part is still being parsed.
            const FtpError closed = stream.close();
            count = pipeline.finish();
            return closed;
        }
        // Without a sink for the entries, they are kept in one vector that makes room at once
        // for what is still queued on the connection.
        pipeline.received(received, sink.entries ? 0 : stream.queued());
    }
}

} // namespace

std::unique_ptr<Stream> Session::commandWithData(std::string_view line, TransferType type) {
    return openStream(*core_, line, std::string(line), type, false, false);
}

bool Session::changeDir(std::string_view path) {
    return simpleCommand(*core_, "CWD", path);
}

std::optional<std::string> Session::currentDir() {
    std::optional<std::string> path;
    runExchange(*core_, {}, [&](ControlConnection& control, const CallContext& call) {
        Reply reply;
        if (const FtpError error = detail::exchangeExpecting(control, "PWD", 2, call, reply);
            error != FtpError::None)
            return error;
        path = reply.code == 257 ? quotedPath(reply.text) : std::nullopt;
        return path ? FtpError::None : FtpError::ServerRefused;
    });
    return path;
}

bool Session::makeDir(std::string_view path) {
    return simpleCommand(*core_, "MKD", path);
}

bool Session::removeDir(std::string_view path) {
    return simpleCommand(*core_, "RMD", path);
}

bool Session::deleteFile(std::string_view path) {
    return simpleCommand(*core_, "DELE", path);
}

bool Session::rename(std::string_view from, std::string_view to) {
    return runExchange(*core_, {from, to},
                       [&](ControlConnection& control, const CallContext& call) {
                           Reply reply;
                           if (const FtpError error = detail::exchangeExpecting(
                                   control, "RNFR " + std::string(from), 3, call, reply);
                               error != FtpError::None)
                               return error;
                           return detail::exchangeExpecting(control, "RNTO " + std::string(to), 2,
                                                            call, reply);
                       }) == FtpError::None;
}

std::optional<std::uint64_t> Session::fileSize(std::string_view path) {
    std::optional<std::uint64_t> size;
    runExchange(*core_, {path}, [&](ControlConnection& control, const CallContext& call) {
        // Some servers give no size in ASCII mode, and others give the size a line-end
        // conversion would make.
        switchToBinaryQuietly(*core_, call);
        Reply reply;
        if (const FtpError error =
                detail::exchangeExpecting(control, "SIZE " + std::string(path), 2, call, reply);
            error != FtpError::None)
            return error;
        size = sizeInReply(reply);
        return size ? FtpError::None : FtpError::ServerRefused;
    });
    return size;
}

std::unique_ptr<Stream> Session::openRead(std::string_view path, std::uint64_t offset) {
    return openStream(*core_, path, "RETR " + std::string(path), TransferType::Binary, true, false,
                      offset);
}

std::unique_ptr<Stream> Session::openWrite(std::string_view path) {
    return openStream(*core_, path, "STOR " + std::string(path), TransferType::Binary, false, true);
}

std::optional<Listing> Session::find(std::string_view path) {
    return find(path, ListingSink{});
}

std::optional<Listing> Session::find(std::string_view path, const ListingSink& sink) {
    const std::string command = path.empty() ? "LIST" : "LIST " + std::string(path);
    const auto stream =
        openStreamState(*core_, path, command, TransferType::Ascii, false, false, 0);
    if (!stream)
        return std::nullopt;
    Listing listing;
    std::size_t count = 0;
    if (const FtpError error = readListing(*stream, listing, sink, count);
        error != FtpError::None) {
        finish(error);
        return std::nullopt;
    }
    finish(count == 0 ? FtpError::NoMoreEntries : FtpError::None);
    return listing;
}

} // namespace tarvo::ftp
