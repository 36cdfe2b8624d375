#pragma once

#include "platform/ftp/ftp_error.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include <sys/socket.h>

namespace tarvo::ftp::detail {

using Clock = std::chrono::steady_clock;

// Asked between short poll slices: true when another thread wants the wait to end.
using CancelCheck = std::function<bool()>;

// What a blocking socket call may wait for: until the deadline, or until cancelled.
struct Wait {
    Clock::time_point deadline;
    const CancelCheck& cancelled;
};

// An owned socket descriptor. Only the owning thread closes it.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void close();

private:
    int fd_ = -1;
};

// A socket address of either family.
struct Endpoint {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    std::uint16_t port() const;
    void setPort(std::uint16_t port);
    bool sameHost(const Endpoint& other) const;
    // The numeric address without the port ("127.0.0.1", "::1").
    std::string hostText() const;
};

Endpoint localEndpoint(int fd);
Endpoint peerEndpoint(int fd);

// Resolves a host name or literal (IPv4 and IPv6) and connects to the first address that
// answers, each attempt bounded by the wait's deadline.
FtpError resolveAndConnect(const std::string& host, std::uint16_t port, const Wait& wait,
                           Socket& out);
FtpError connectTo(const Endpoint& target, const Wait& wait, Socket& out);

// Waits until the descriptor is ready for the poll events; Timeout or Cancelled otherwise.
FtpError waitFor(int fd, short events, const Wait& wait);

FtpError sendAll(int fd, const char* data, std::size_t size, const Wait& wait);
// Reads what is there (at least one byte) into the buffer; received = 0 means end of stream.
FtpError receiveSome(int fd, char* buffer, std::size_t size, const Wait& wait,
                     std::size_t& received);

// A listening socket on the given local address (its port is ignored) for an active-mode
// data connection.
FtpError listenOn(const Endpoint& local, Socket& out);
// Accepts the first connection that comes from the allowed host; connections from any other
// host are closed unanswered, which keeps a third party from injecting data.
FtpError acceptFrom(int listenFd, const Endpoint& allowedPeer, const Wait& wait, Socket& out);

} // namespace tarvo::ftp::detail
