#pragma once

#include "platform/ftp/ftp_error.h"
#include "platform/posix/unique_fd.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <netdb.h>
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

    int fd() const { return fd_.get(); }
    bool valid() const { return fd_.valid(); }
    void close() { fd_.reset(); }

private:
    UniqueFd fd_;
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

// The addresses (IPv4 and IPv6) of a host name or literal. The system's resolver cannot be
// interrupted, so it runs on a thread of its own: a cancel or the deadline ends the wait at
// once, and the lookup finishes unobserved.
FtpError resolve(const std::string& host, std::uint16_t port, const Wait& wait,
                 std::vector<Endpoint>& out);
// The resolver behind resolve(): getaddrinfo, unless a test puts a slow one in its place.
using AddressLookup = int (*)(const char* host, const char* service, const addrinfo* hints,
                              addrinfo** found);
extern std::atomic<AddressLookup> addressLookup;

// Connects to the first of the addresses that answers, all within the wait's deadline.
FtpError connectToAny(const std::vector<Endpoint>& targets, const Wait& wait, Socket& out);
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
