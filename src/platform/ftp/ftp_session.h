#pragma once

#include "platform/ftp/ftp_error.h"
#include "platform/ftp/ftp_stream.h"
#include "platform/ftp/list_parser.h"
#include "platform/ftp/listing_sink.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::ftp {

namespace detail {
struct SessionCore;
}

enum class TransferMode { Passive, Active };
enum class TransferType { Ascii, Binary };

constexpr std::chrono::milliseconds kDefaultConnectTimeout{60'000};
constexpr std::chrono::milliseconds kDefaultReceiveTimeout{60'000};

struct Timeouts {
    // How long connecting may take: the name lookup, the connection and the greeting.
    std::chrono::milliseconds connect = kDefaultConnectTimeout;
    // How long a command may wait for its final reply, and one read or write of a data
    // connection for its bytes.
    std::chrono::milliseconds receive = kDefaultReceiveTimeout;
};

struct ConnectOptions {
    std::string host; // name, IPv4 or IPv6 literal
    std::uint16_t port = 21;
    std::string user;
    std::string password;
    TransferMode mode = TransferMode::Passive; // PASV/EPSV or PORT/EPRT
    Timeouts timeouts;
};

// One FTP control connection. The calls block and are meant for worker threads; every call
// sets lastError() of the calling thread (0 on success) and, when it talks to the server,
// lastResponse(). One command exchange runs at a time: threads that share a session wait
// for each other, and commands fail with TransferInProgress while a stream is open.
// cancel() and disconnect() may be called from any thread.
// A reply that does not come in time leaves the connection unusable: the session closes it,
// connected() turns false and later calls fail at once with ControlClosed until a connect.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Resolves, connects, reads the greeting and logs in (USER, then PASS on 331). An open
    // connection is dropped first.
    bool connect(const ConnectOptions& options);
    // Sends QUIT when the connection is idle and closes it; wakes and fails any call that is
    // blocked on this session, a running transfer included.
    void disconnect();
    // Closes the connection without QUIT; wakes and fails any call blocked on this session
    // and waits until they have let go of it.
    void drop();
    // Ends the use of the session from any thread without waiting: wakes and fails every call
    // blocked on it, and every later call fails as cancelled at once, until the next connect.
    // The connection stays for disconnect() or drop() to close.
    void abort();
    bool connected() const;

    // Wakes every call blocked on this session, and fails the running stream, with Cancelled.
    // The control connection stays usable: a reply it still owes is read before the next
    // command.
    void cancel();

    // Sends a command as it is and reads its replies up to the final one; success on a 2xx or
    // 3xx. A "REST n" sent this way shifts no transfer: the marker it leaves on the server is
    // cleared before the next one, so a download always starts where openRead says.
    bool command(std::string_view line);
    // A command that answers on a data connection (LIST, NLST): sends TYPE, opens the data
    // connection and expects 1xx; an immediate 2xx gives a stream that is at its end.
    std::unique_ptr<Stream> commandWithData(std::string_view line, TransferType type);

    bool changeDir(std::string_view path);
    // The path of the 257 reply to PWD.
    std::optional<std::string> currentDir();
    bool makeDir(std::string_view path);
    bool removeDir(std::string_view path);
    bool deleteFile(std::string_view path);
    bool rename(std::string_view from, std::string_view to);
    // The size of a file in bytes as the server's SIZE reply (213) gives it, counted for a
    // binary transfer; nothing when the server gives none.
    std::optional<std::uint64_t> fileSize(std::string_view path);

    // Binary transfers (TYPE I, RETR or STOR). A download from a non-zero offset sends
    // "REST offset" right before its RETR; a refused REST fails the call (ServerRefused, the
    // refusal in lastResponse()). A server may accept REST and still send the whole file.
    std::unique_ptr<Stream> openRead(std::string_view path, std::uint64_t offset = 0);
    std::unique_ptr<Stream> openWrite(std::string_view path);

    // LIST of a directory (empty: the current one), parsed. A listing without entries sets
    // the error NoMoreEntries; a failure gives nothing.
    std::optional<Listing> find(std::string_view path);
    // The same, handing the reply and its entries to the sink as they arrive.
    std::optional<Listing> find(std::string_view path, const ListingSink& sink);

private:
    std::shared_ptr<detail::SessionCore> core_;
};

} // namespace tarvo::ftp
