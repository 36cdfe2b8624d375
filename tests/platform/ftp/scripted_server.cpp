#include "scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::ftp::test {

namespace {

bool waitFor(int fd, short events, const std::atomic<bool>& stopping) {
    while (!stopping) {
        pollfd entry{fd, events, 0};
        if (::poll(&entry, 1, 50) > 0)
            return true;
    }
    return false;
}

// False once the client is gone.
bool sendText(int fd, const std::string& text, const std::atomic<bool>& stopping) {
    return waitFor(fd, POLLOUT, stopping) &&
           ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

} // namespace

ScriptedServer::ScriptedServer(Answer greeting, std::map<std::string, Answer> answers)
    : greeting_(std::move(greeting)), answers_(std::move(answers)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listener_, 4);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> ScriptedServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void ScriptedServer::serve() {
    while (waitFor(listener_, POLLIN, stopping_)) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        converse(connection);
        ::close(connection);
    }
}

void ScriptedServer::answer(int connection, const Answer& answer) const {
    std::this_thread::sleep_for(answer.delay);
    while (sendText(connection, answer.text, stopping_) && answer.endless) {
    }
}

void ScriptedServer::converse(int connection) {
    answer(connection, greeting_);
    std::string pending;
    while (waitFor(connection, POLLIN, stopping_)) {
        char chunk[1024];
        const ssize_t got = ::recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0)
            return;
        pending.append(chunk, static_cast<std::size_t>(got));
        for (auto end = pending.find("\r\n"); end != std::string::npos;
             end = pending.find("\r\n")) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            {
                std::lock_guard lock(mutex_);
                received_.push_back(line);
            }
            const auto verb = line.substr(0, line.find(' '));
            const auto scripted = answers_.find(verb);
            answer(connection,
                   scripted == answers_.end() ? Answer("200 OK\r\n") : scripted->second);
        }
    }
}

} // namespace tarvo::ftp::test
