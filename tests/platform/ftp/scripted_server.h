#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvo::ftp::test {

// A control-connection peer that plays a script: a greeting, then for each command line the
// reply given for its verb ("200 OK" otherwise), optionally after a delay. It records every
// line it receives, so tests can see what reached the server.
class ScriptedServer {
public:
    struct Answer {
        Answer(const char* text) : text(text) {}
        Answer(std::string text, std::chrono::milliseconds delay = {}, bool endless = false)
            : text(std::move(text)), delay(delay), endless(endless) {}

        std::string text; // sent as is; include the CR LF
        std::chrono::milliseconds delay{0};
        bool endless = false; // sent again and again until the client goes away
    };

    ScriptedServer(Answer greeting, std::map<std::string, Answer> answers);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> received() const;

private:
    void serve();
    void converse(int connection);
    void answer(int connection, const Answer& answer) const;

    Answer greeting_;
    std::map<std::string, Answer> answers_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_;
};

} // namespace tarvo::ftp::test
