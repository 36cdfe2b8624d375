#include "scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::ftp::test {

namespace {

bool waitReadable(int fd, const std::atomic<bool>& stopping) {
    while (!stopping) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 50) > 0)
            return true;
    }
    return false;
}

void sendText(int fd, const std::string& text) {
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

} // namespace

ScriptedServer::ScriptedServer(std::string greeting, std::map<std::string, Answer> answers)
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
    while (waitReadable(listener_, stopping_)) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        converse(connection);
        ::close(connection);
    }
}

void ScriptedServer::converse(int connection) {
    sendText(connection, greeting_);
    std::string pending;
    while (waitReadable(connection, stopping_)) {
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
            const auto answer = answers_.find(verb);
            if (answer == answers_.end()) {
                sendText(connection, "200 OK\r\n");
                continue;
            }
            std::this_thread::sleep_for(answer->second.delay);
            sendText(connection, answer->second.text);
        }
    }
}

} // namespace tarvo::ftp::test
