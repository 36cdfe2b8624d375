#include "platform/ftp/socket_io.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace tarvo::ftp::detail {

namespace {

// Cancellation is noticed between poll slices, so a cancel lands well within a second even
// when nothing wakes the poll itself.
constexpr auto kPollSlice = std::chrono::milliseconds(100);

FtpError errorFromErrno(int error) {
    switch (error) {
    case ECONNRESET:
        return FtpError::ConnectionReset;
    case ETIMEDOUT:
        return FtpError::Timeout;
    default:
        return FtpError::ConnectionAborted;
    }
}

// Checked before every read and write, not only before waiting: a peer that always has more
// to send would otherwise never let a wait come to its deadline.
FtpError endedBeforeIo(const Wait& wait) {
    if (wait.cancelled())
        return FtpError::Cancelled;
    return Clock::now() >= wait.deadline ? FtpError::Timeout : FtpError::None;
}

Socket newStreamSocket(int family) {
    Socket socket(::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.valid()) {
        const int one = 1;
        ::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return socket;
}

} // namespace

std::uint16_t Endpoint::port() const {
    if (family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
}

void Endpoint::setPort(std::uint16_t port) {
    if (family() == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
}

bool Endpoint::sameHost(const Endpoint& other) const {
    if (family() != other.family())
        return false;
    if (family() == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr;
        const auto& b = reinterpret_cast<const sockaddr_in6*>(&other.storage)->sin6_addr;
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    return reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in*>(&other.storage)->sin_addr.s_addr;
}

std::string Endpoint::hostText() const {
    char text[INET6_ADDRSTRLEN] = {};
    const void* address =
        family() == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr);
    ::inet_ntop(family(), address, text, sizeof text);
    return text;
}

Endpoint localEndpoint(int fd) {
    Endpoint endpoint;
    endpoint.length = sizeof endpoint.storage;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&endpoint.storage), &endpoint.length);
    return endpoint;
}

Endpoint peerEndpoint(int fd) {
    Endpoint endpoint;
    endpoint.length = sizeof endpoint.storage;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&endpoint.storage), &endpoint.length);
    return endpoint;
}

FtpError waitFor(int fd, short events, const Wait& wait) {
    for (;;) {
        if (wait.cancelled())
            return FtpError::Cancelled;
        const auto now = Clock::now();
        if (now >= wait.deadline)
            return FtpError::Timeout;
        const auto slice = std::min<Clock::duration>(wait.deadline - now, kPollSlice);
        pollfd entry{fd, events, 0};
        const int timeoutMs =
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count());
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0)
            return FtpError::None; // errors and hang-ups show in the following call
        if (ready < 0 && errno != EINTR)
            return errorFromErrno(errno);
    }
}

FtpError connectTo(const Endpoint& target, const Wait& wait, Socket& out) {
    Socket socket = newStreamSocket(target.family());
    if (!socket.valid())
        return FtpError::CannotConnect;
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&target.storage), target.length) !=
        0) {
        if (errno != EINPROGRESS)
            return FtpError::CannotConnect;
        const FtpError waited = waitFor(socket.fd(), POLLOUT, wait);
        if (waited == FtpError::Cancelled)
            return waited;
        if (waited != FtpError::None)
            return FtpError::CannotConnect;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return FtpError::CannotConnect;
    }
    out = std::move(socket);
    return FtpError::None;
}

std::atomic<AddressLookup> addressLookup{&::getaddrinfo};

namespace {

// One lookup, shared by the caller and the thread that runs it; whoever leaves last frees it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool found = false;
    std::vector<Endpoint> endpoints;
};

void runLookup(const std::shared_ptr<Lookup>& lookup, const std::string& host,
               const std::string& service) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const bool resolved = addressLookup.load()(host.c_str(), service.c_str(), &hints, &found) == 0;
    std::vector<Endpoint> endpoints;
    for (const addrinfo* entry = resolved ? found : nullptr; entry != nullptr;
         entry = entry->ai_next) {
        Endpoint endpoint;
        std::memcpy(&endpoint.storage, entry->ai_addr, entry->ai_addrlen);
        endpoint.length = entry->ai_addrlen;
        endpoints.push_back(endpoint);
    }
    if (found != nullptr)
        ::freeaddrinfo(found);
    {
        std::lock_guard lock(lookup->mutex);
        lookup->done = true;
        lookup->found = resolved && !endpoints.empty();
        lookup->endpoints = std::move(endpoints);
    }
    lookup->finished.notify_all();
}

} // namespace

FtpError resolve(const std::string& host, std::uint16_t port, const Wait& wait,
                 std::vector<Endpoint>& out) {
    if (host.empty())
        return FtpError::NameNotResolved;
    auto lookup = std::make_shared<Lookup>();
    std::thread(runLookup, lookup, host, std::to_string(port)).detach();
    std::unique_lock lock(lookup->mutex);
    while (!lookup->done) {
        if (wait.cancelled())
            return FtpError::Cancelled;
        const auto now = Clock::now();
        if (now >= wait.deadline)
            return FtpError::Timeout;
        lookup->finished.wait_for(lock, std::min<Clock::duration>(wait.deadline - now, kPollSlice));
    }
    if (!lookup->found)
        return FtpError::NameNotResolved;
    out = std::move(lookup->endpoints);
    return FtpError::None;
}

FtpError connectToAny(const std::vector<Endpoint>& targets, const Wait& wait, Socket& out) {
    FtpError result = FtpError::CannotConnect;
    for (const Endpoint& target : targets) {
        result = connectTo(target, wait, out);
        if (result == FtpError::None || result == FtpError::Cancelled)
            break;
    }
    return result;
}

FtpError sendAll(int fd, const char* data, std::size_t size, const Wait& wait) {
    while (size > 0) {
        if (const FtpError ended = endedBeforeIo(wait); ended != FtpError::None)
            return ended;
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return errorFromErrno(errno);
        if (const FtpError waited = waitFor(fd, POLLOUT, wait); waited != FtpError::None)
            return waited;
    }
    return FtpError::None;
}

FtpError receiveSome(int fd, char* buffer, std::size_t size, const Wait& wait,
                     std::size_t& received) {
    for (;;) {
        if (const FtpError ended = endedBeforeIo(wait); ended != FtpError::None)
            return ended;
        const ssize_t got = ::recv(fd, buffer, size, 0);
        if (got >= 0) {
            received = static_cast<std::size_t>(got);
            return FtpError::None;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errorFromErrno(errno);
        if (const FtpError waited = waitFor(fd, POLLIN, wait); waited != FtpError::None)
            return waited;
    }
}

FtpError listenOn(const Endpoint& local, Socket& out) {
    Endpoint address = local;
    address.setPort(0);
    Socket socket(::socket(address.family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid() ||
        ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address.storage), address.length) !=
            0 ||
        ::listen(socket.fd(), 4) != 0)
        return FtpError::CannotConnect;
    out = std::move(socket);
    return FtpError::None;
}

FtpError acceptFrom(int listenFd, const Endpoint& allowedPeer, const Wait& wait, Socket& out) {
    for (;;) {
        Endpoint peer;
        peer.length = sizeof peer.storage;
        Socket accepted(::accept4(listenFd, reinterpret_cast<sockaddr*>(&peer.storage),
                                  &peer.length, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (accepted.valid()) {
            if (!peer.sameHost(allowedPeer))
                continue; // dropped by the Socket's destructor
            const int one = 1;
            ::setsockopt(accepted.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            out = std::move(accepted);
            return FtpError::None;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return FtpError::ConnectionAborted;
        if (const FtpError waited = waitFor(listenFd, POLLIN, wait); waited != FtpError::None)
            return waited;
    }
}

} // namespace tarvo::ftp::detail
