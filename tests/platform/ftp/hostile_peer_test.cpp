// Peers that flood, stall, stop reading, never answer or break the protocol: every call ends by
// its deadline with the error that tells what happened, what is kept of their replies stays
// bounded, a cut upload never passes for a whole file, and the session is left in a state the
// next call can rely on.
#include "platform/ftp/ftp_session.h"
#include "platform/ftp/socket_io.h"
#include "scripted_server.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <thread>

namespace tarvo::ftp {
namespace {

using namespace std::chrono_literals;
using test::ScriptedServer;

struct Peer {
    std::unique_ptr<ScriptedServer> scripted;
    std::unique_ptr<test::TestServer> server;
    std::chrono::milliseconds timeout{20s}; // of a scripted peer, for connecting and replies

    ConnectOptions options() const {
        ConnectOptions options;
        if (server) {
            options = server->options();
            options.timeouts = {2s, 2s};
        } else {
            options.host = "127.0.0.1";
            options.port = scripted->port();
            options.user = "u";
            options.password = "p";
            options.timeouts = {timeout, timeout};
        }
        return options;
    }
};

Peer scriptedPeer(ScriptedServer::Answer greeting,
                  std::map<std::string, ScriptedServer::Answer> answers = {
                      {"USER", "230 ok\r\n"}}) {
    Peer peer;
    peer.scripted = std::make_unique<ScriptedServer>(std::move(greeting), std::move(answers));
    return peer;
}

Peer faultServer(const std::string& mode, const std::string& argument = "") {
    Peer peer;
    peer.server = test::startFaultServer("127.0.0.1", mode, argument);
    return peer;
}

FtpError connectOnly(Session& session, const Peer& peer) {
    session.connect(peer.options());
    return lastError();
}

FtpError connectAndChangeDir(Session& session, const Peer& peer) {
    EXPECT_TRUE(session.connect(peer.options()));
    session.changeDir("somewhere");
    return lastError();
}

// Uploads up to `size` bytes, until a write fails; what the close gives.
auto upload(std::size_t size) {
    return [size](Session& session, const Peer& peer) {
        EXPECT_TRUE(session.connect(peer.options()));
        auto stream = session.openWrite("up.bin");
        EXPECT_NE(stream, nullptr);
        const std::string chunk(std::min<std::size_t>(size, 256 * 1024), 'u');
        for (std::size_t done = 0; done < size && stream->write(chunk.data(), chunk.size());)
            done += chunk.size();
        stream->close();
        return lastError();
    };
}

// Downloads a file of `size` bytes until its end or a failed read; what the close gives.
auto download(std::size_t size) {
    return [size](Session& session, const Peer& peer) {
        EXPECT_TRUE(session.connect(peer.options()));
        peer.server->putFile("down.bin", std::string(size, 'd'));
        auto stream = session.openRead("down.bin");
        EXPECT_NE(stream, nullptr);
        char buffer[64 * 1024];
        std::optional<std::size_t> got;
        while ((got = stream->read(buffer, sizeof buffer)) && *got > 0) {
        }
        stream->close();
        return lastError();
    };
}

FtpError list(Session& session, const Peer& peer) {
    EXPECT_TRUE(session.connect(peer.options()));
    peer.server->putFile("listed.txt", "x");
    EXPECT_FALSE(session.find(""));
    return lastError();
}

// A resolver that does not answer until the test lets it.
std::atomic<bool> lookupEntered{false};
std::atomic<bool> lookupReleased{false};

int blockedLookup(const char* host, const char* service, const addrinfo* hints, addrinfo** found) {
    lookupEntered = true;
    for (int i = 0; i < 2000 && !lookupReleased; ++i)
        std::this_thread::sleep_for(10ms);
    return ::getaddrinfo(host, service, hints, found);
}

// disconnect() from another thread during a lookup that does not end: it must not wait for
// the lookup, and the connect it ends is cancelled.
FtpError disconnectDuringLookup(Session& session, const Peer& peer) {
    lookupEntered = false;
    lookupReleased = false;
    detail::addressLookup = &blockedLookup;
    auto connecting = std::async(std::launch::async, [&] {
        session.connect(peer.options());
        return lastError();
    });
    for (int i = 0; i < 1000 && !lookupEntered; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(lookupEntered);
    session.disconnect();
    EXPECT_FALSE(lookupReleased) << "disconnect() waited for the resolver";
    EXPECT_EQ(connecting.wait_for(10s), std::future_status::ready);
    const FtpError error = connecting.get();
    lookupReleased = true;
    detail::addressLookup = &::getaddrinfo;
    return error;
}

struct HostileCase {
    const char* name;
    std::function<Peer()> start;
    // Meets the peer's hostility; the error that ends it.
    std::function<FtpError(Session&, const Peer&)> meet;
    FtpError error;
    const char* reply; // what lastResponse() then holds, if anything in particular
    // What a NOOP right after gives: None while the connection stands, ControlClosed once the
    // session dropped it, InvalidHandle when none was made.
    FtpError next;
    bool reconnects; // whether a new connect to the same peer works
};

class HostilePeers : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostilePeers, CallsEndByTheirDeadlineAndTheSessionStaysSound) {
    const HostileCase& hostile = GetParam();
    Peer peer = hostile.start();
    // Only a call that a deadline ends gets a short one; every other reply may come as late as
    // a loaded machine makes it.
    if (hostile.error == FtpError::Timeout)
        peer.timeout = 2s;
    Session session;
    EXPECT_EQ(hostile.meet(session, peer), hostile.error);
    EXPECT_LE(lastResponse().size(), kMaxResponseSize + std::strlen(kResponseCutMarker));
    if (hostile.reply != nullptr) {
        EXPECT_NE(lastResponse().find(hostile.reply), std::string::npos) << lastResponse();
    }
    EXPECT_EQ(session.connected(), hostile.next == FtpError::None);

    const std::size_t linesSent = peer.scripted ? peer.scripted->received().size() : 0;
    EXPECT_EQ(session.command("NOOP"), hostile.next == FtpError::None);
    EXPECT_EQ(lastError(), hostile.next);
    if (peer.scripted && hostile.next != FtpError::None) {
        EXPECT_EQ(peer.scripted->received().size(), linesSent) << "nothing is sent any more";
    }
    if (hostile.reconnects) {
        ASSERT_TRUE(session.connect(peer.options())) << lastResponse();
        EXPECT_TRUE(session.command("SYST"));
    }
}

const std::string kEndless120 = "120 Service ready in a moment\r\n";

// More preliminary replies than are kept, then the final one.
std::string floodThen(const std::string& final) {
    std::string text;
    while (text.size() < 2 * kMaxResponseSize)
        text += kEndless120;
    return text + final;
}

Peer answeringChangeDir(ScriptedServer::Answer answer) {
    return scriptedPeer("220 hi\r\n", {{"USER", "230 ok\r\n"}, {"CWD", std::move(answer)}});
}

constexpr auto Timeout = FtpError::Timeout;
constexpr auto Aborted = FtpError::ConnectionAborted;
constexpr auto Closed = FtpError::ControlClosed;
constexpr auto NoSession = FtpError::InvalidHandle;
constexpr auto Standing = FtpError::None;

const HostileCase kHostile[] = {
    {"FloodBeforeTheGreeting",
     [] {
         return scriptedPeer({kEndless120, 0ms, true});
     },
     connectOnly, Timeout, nullptr, NoSession, false},
    {"GreetingNeverSent", [] { return scriptedPeer(""); }, connectOnly, Timeout, nullptr, NoSession,
     false},
    {"GreetingNeverEnds", [] { return scriptedPeer("220-Welcome\r\n220-still talking\r\n"); },
     connectOnly, Timeout, nullptr, NoSession, false},
    {"GreetingWithoutLineEnd", [] { return scriptedPeer("220 no line end"); }, connectOnly, Timeout,
     nullptr, NoSession, false},
    {"EndlessReplyLine", [] { return scriptedPeer("220 " + std::string(3 * 1024 * 1024, 'x')); },
     connectOnly, Aborted, nullptr, NoSession, false},
    {"EndlessMultiLineReply",
     [] { return scriptedPeer("220-x\r\n" + std::string(2 * 1024 * 1024, '\n')); }, connectOnly,
     Aborted, nullptr, NoSession, false},
    {"BusyGreeting", [] { return scriptedPeer("421 Too many users\r\n"); }, connectOnly, Closed,
     "421 Too many users\n", NoSession, false},
    {"UserRefused",
     [] {
         return scriptedPeer("220 hi\r\n", {{"USER", "530 Not you\r\n"}});
     },
     connectOnly, FtpError::LoginFailed, "530 Not you\n", NoSession, false},
    // Reply codes begin with 1 to 5; anything else is no reply at all.
    {"ReplyWithoutCode", [] { return answeringChangeDir("hello\r\n"); }, connectAndChangeDir,
     Aborted, nullptr, Closed, true},
    {"ReplyCodeFrom8", [] { return answeringChangeDir("826 hello\r\n"); }, connectAndChangeDir,
     Aborted, nullptr, Closed, true},
    {"ReplyCodeFrom0", [] { return answeringChangeDir("099 hello\r\n"); }, connectAndChangeDir,
     Aborted, nullptr, Closed, true},
    {"FloodAfterACommand", [] { return answeringChangeDir(floodThen("550 No such folder\r\n")); },
     connectAndChangeDir, FtpError::ServerRefused, kResponseCutMarker, Standing, false},
    {"SilenceAfterACommand", [] { return answeringChangeDir(""); }, connectAndChangeDir, Timeout,
     nullptr, Closed, true},
    {"ClosingWith421", [] { return faultServer("close-421"); }, connectAndChangeDir, Closed, "421 ",
     Closed, false},
    {"RefusingAnUploadAfterItsData", [] { return faultServer("stor-552"); }, upload(100'000),
     FtpError::ServerRefused, "552 ", Standing, false},
    {"UploadPeerStopsReading", [] { return faultServer("stop-reading"); },
     upload(std::size_t{256} << 20), Timeout, "426 Upload reset by the client.", Standing, false},
    {"DroppingTheDataConnection", [] { return faultServer("drop-data", "1000"); }, download(50'000),
     FtpError::ServerRefused, "426 ", Standing, false},
    {"DownloadPeerStallsAndNeverReplies", [] { return faultServer("stall-data"); },
     download(4 << 20), Timeout, nullptr, Closed, true},
    {"ListingPeerStallsAndNeverReplies", [] { return faultServer("stall-data"); }, list, Timeout,
     nullptr, Closed, true},
    // The data connection goes to the control connection's peer, not where 227 says.
    {"NamingAnotherPassiveAddress", [] { return faultServer("pasv-elsewhere"); }, download(4),
     FtpError::None, "226 ", Standing, false},
    {"NameLookupThatDoesNotEnd", [] { return scriptedPeer("220 hi\r\n"); }, disconnectDuringLookup,
     FtpError::Cancelled, nullptr, NoSession, true}};

INSTANTIATE_TEST_SUITE_P(Peers, HostilePeers, ::testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::ftp
