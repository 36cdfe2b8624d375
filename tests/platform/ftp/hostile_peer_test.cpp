// Peers that flood, stall, stop reading or never answer: every call ends by its deadline, what
// is kept of their replies stays bounded, a cut upload never passes for a whole file, and the
// session is left in a state the next call can rely on.
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
    std::chrono::milliseconds timeout{500}; // of a scripted peer, for connecting and replies

    ConnectOptions options() const {
        ConnectOptions options;
        if (server) {
            options = server->options();
            options.timeouts = {1s, 1s};
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

// A peer whose reply outgrows every bound; it is dropped when the bound is reached, long
// before the generous deadline.
Peer endlessReply(std::string greeting) {
    Peer peer = scriptedPeer(std::move(greeting));
    peer.timeout = 20s;
    return peer;
}

Peer faultServer(const std::string& mode) {
    Peer peer;
    peer.server = test::startFaultServer("127.0.0.1", mode);
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

bool lastResponseWasCut() {
    return lastResponse().ends_with(kResponseCutMarker);
}

// Writes until the peer's buffers are full and a write fails; the error of the close.
FtpError uploadUntilStuck(Session& session, const Peer& peer) {
    EXPECT_TRUE(session.connect(peer.options()));
    auto stream = session.openWrite("cut.bin");
    EXPECT_NE(stream, nullptr);
    const std::string chunk(256 * 1024, 'u');
    bool written = true;
    for (int i = 0; i < 1024 && written; ++i)
        written = stream->write(chunk.data(), chunk.size());
    EXPECT_FALSE(written);
    EXPECT_EQ(lastError(), FtpError::Timeout);
    EXPECT_FALSE(stream->close());
    // The server's verdict: the reset told it the file is not whole.
    EXPECT_NE(lastResponse().find("426 Upload reset by the client."), std::string::npos)
        << lastResponse();
    return lastError();
}

FtpError downloadUntilStuck(Session& session, const Peer& peer) {
    EXPECT_TRUE(session.connect(peer.options()));
    peer.server->putFile("stalled.bin", std::string(4 * 1024 * 1024, 's'));
    auto stream = session.openRead("stalled.bin");
    EXPECT_NE(stream, nullptr);
    char buffer[64 * 1024];
    std::optional<std::size_t> got;
    while ((got = stream->read(buffer, sizeof buffer)) && *got > 0) {
    }
    EXPECT_FALSE(got.has_value());
    EXPECT_EQ(lastError(), FtpError::Timeout);
    EXPECT_FALSE(stream->close());
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
    // What a NOOP right after gives: None while the connection stands, ControlClosed once the
    // session dropped it, InvalidHandle when none was made.
    FtpError next;
    bool reconnects; // whether a new connect to the same peer works
};

class HostilePeers : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostilePeers, CallsEndByTheirDeadlineAndTheSessionStaysSound) {
    const HostileCase& hostile = GetParam();
    const Peer peer = hostile.start();
    Session session;
    EXPECT_EQ(hostile.meet(session, peer), hostile.error);
    EXPECT_LE(lastResponse().size(), kMaxResponseSize + std::strlen(kResponseCutMarker));
    EXPECT_EQ(session.connected(), hostile.next == FtpError::None);

    const std::size_t linesSent = peer.scripted ? peer.scripted->received().size() : 0;
    EXPECT_EQ(session.command("NOOP"), hostile.next == FtpError::None);
    EXPECT_EQ(lastError(), hostile.next);
    if (peer.scripted && hostile.next != FtpError::None) {
        EXPECT_EQ(peer.scripted->received().size(), linesSent) << "nothing is sent any more";
    }
    if (hostile.reconnects) {
        ASSERT_TRUE(session.connect(peer.options())) << lastResponse();
        EXPECT_TRUE(session.command("NOOP"));
    }
}

const std::string kEndless120 = "120 Service ready in a moment\r\n";

INSTANTIATE_TEST_SUITE_P(
    Peers, HostilePeers,
    ::testing::Values(
        HostileCase{"FloodBeforeTheGreeting",
                    [] {
                        return scriptedPeer({kEndless120, 0ms, true});
                    },
                    [](Session& session, const Peer& peer) {
                        const FtpError error = connectOnly(session, peer);
                        EXPECT_TRUE(lastResponseWasCut());
                        return error;
                    },
                    FtpError::Timeout, FtpError::InvalidHandle, false},
        HostileCase{"GreetingNeverSent", [] { return scriptedPeer(""); }, connectOnly,
                    FtpError::Timeout, FtpError::InvalidHandle, false},
        HostileCase{"GreetingNeverEnds",
                    [] { return scriptedPeer("220-Welcome\r\n220-still talking\r\n"); },
                    connectOnly, FtpError::Timeout, FtpError::InvalidHandle, false},
        HostileCase{"GreetingWithoutLineEnd", [] { return scriptedPeer("220 no line end"); },
                    connectOnly, FtpError::Timeout, FtpError::InvalidHandle, false},
        HostileCase{"EndlessReplyLine",
                    [] { return endlessReply("220 " + std::string(3 * 1024 * 1024, 'x')); },
                    connectOnly, FtpError::ConnectionAborted, FtpError::InvalidHandle, false},
        HostileCase{"EndlessMultiLineReply",
                    [] { return endlessReply("220-x\r\n" + std::string(2 * 1024 * 1024, '\n')); },
                    connectOnly, FtpError::ConnectionAborted, FtpError::InvalidHandle, false},
        HostileCase{"FloodAfterACommand",
                    [] {
                        return scriptedPeer("220 hi\r\n", {{"USER", "230 ok\r\n"},
                                                           {"CWD", {kEndless120, 0ms, true}}});
                    },
                    [](Session& session, const Peer& peer) {
                        const FtpError error = connectAndChangeDir(session, peer);
                        EXPECT_TRUE(lastResponseWasCut());
                        return error;
                    },
                    FtpError::Timeout, FtpError::ControlClosed, true},
        HostileCase{"SilenceAfterACommand",
                    [] {
                        return scriptedPeer("220 hi\r\n", {{"USER", "230 ok\r\n"}, {"CWD", ""}});
                    },
                    connectAndChangeDir, FtpError::Timeout, FtpError::ControlClosed, true},
        HostileCase{"UploadPeerStopsReading", [] { return faultServer("stop-reading"); },
                    uploadUntilStuck, FtpError::Timeout, FtpError::None, false},
        HostileCase{"DownloadPeerStallsAndNeverReplies", [] { return faultServer("stall-retr"); },
                    downloadUntilStuck, FtpError::Timeout, FtpError::ControlClosed, true},
        HostileCase{"NameLookupThatDoesNotEnd", [] { return scriptedPeer("220 hi\r\n"); },
                    disconnectDuringLookup, FtpError::Cancelled, FtpError::InvalidHandle, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::ftp
