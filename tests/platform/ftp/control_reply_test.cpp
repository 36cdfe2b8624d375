// The control connection against scripted peers: reply forms, command injection, a cancel
// that leaves a reply owed.
#include "platform/ftp/ftp_session.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>

namespace tarvo::ftp {
namespace {

using test::ScriptedServer;
using namespace std::chrono_literals;

ConnectOptions scriptedOptions(const ScriptedServer& server) {
    ConnectOptions options;
    options.host = "127.0.0.1";
    options.port = server.port();
    options.user = "u";
    options.password = "p";
    options.timeouts.receive = 20s; // no reply here is meant to time out
    return options;
}

TEST(ControlReplies, PreliminaryAndMultiLineRepliesAreReadWholeAndPathsUnquoted) {
    ScriptedServer server(
        "120 soon\r\n220-Hello\r\n 123 inner\r\n220-more\r\n220 Ready\r\n",
        {{"USER", "230 Logged in\r\n"}, {"PWD", "257 \"/a \"\"q\"\" b\" is current\r\n"}});
    Session session;
    ASSERT_TRUE(session.connect(scriptedOptions(server)));
    EXPECT_EQ(lastError(), FtpError::None);
    EXPECT_EQ(lastResponse(),
              "120 soon\n220-Hello\n 123 inner\n220-more\n220 Ready\n230 Logged in\n");
    EXPECT_EQ(server.received(), std::vector<std::string>{"USER u"}); // no PASS after 230
    EXPECT_EQ(session.currentDir(), "/a \"q\" b");
}

// A quoted path ends on its line; the next line of the reply is no part of it.
TEST(ControlReplies, TheFolderOfAMultiLinePwdReplyIsReadWithinOneLine) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"257-\"/x\r\n257 y\"\r\n", std::nullopt},
        {"257-\"/a\" is current\r\n257 \"/b\"\r\n", "/a"},
    };
    for (const auto& [reply, folder] : cases) {
        ScriptedServer server("220 hi\r\n", {{"USER", "230 ok\r\n"}, {"PWD", reply}});
        Session session;
        ASSERT_TRUE(session.connect(scriptedOptions(server)));
        EXPECT_EQ(session.currentDir(), folder) << reply;
    }
}

TEST(ControlReplies, LineBreaksAndNulInArgumentsAreNeverSent) {
    ScriptedServer server("220 hi\r\n", {{"USER", "230 ok\r\n"}});
    Session session;
    ConnectOptions injected = scriptedOptions(server);
    injected.user = "u\r\nDELE victim";
    EXPECT_FALSE(session.connect(injected));
    EXPECT_EQ(lastError(), FtpError::InvalidArgument);
    EXPECT_TRUE(server.received().empty());

    ASSERT_TRUE(session.connect(scriptedOptions(server)));
    const std::string withNul("a\0DELE victim", 13);
    EXPECT_FALSE(session.command("NOOP\r\nDELE victim"));
    EXPECT_EQ(lastError(), FtpError::InvalidArgument);
    EXPECT_TRUE(lastResponse().empty());
    EXPECT_FALSE(session.changeDir("x\nDELE victim"));
    EXPECT_FALSE(session.deleteFile(withNul));
    EXPECT_FALSE(session.rename("a", "b\rDELE victim"));
    EXPECT_EQ(session.openRead("f\r\nDELE victim"), nullptr);
    EXPECT_EQ(session.openWrite("f\nDELE victim"), nullptr);
    EXPECT_FALSE(session.find("d\r\nDELE victim"));
    EXPECT_EQ(lastError(), FtpError::InvalidArgument);
    EXPECT_TRUE(session.command("NOOP"));
    EXPECT_EQ(server.received(), (std::vector<std::string>{"USER u", "NOOP"}));
}

// A cancelled command leaves its reply owed; the next command must not take it for its own.
TEST(ControlReplies, CancelledCommandDoesNotShiftLaterReplies) {
    ScriptedServer server("220 hi\r\n", {{"USER", "230 ok\r\n"},
                                         {"NOOP", {"200 late NOOP\r\n", 2s}},
                                         {"SYST", "215 UNIX Type: L8\r\n"}});
    Session session;
    ConnectOptions options = scriptedOptions(server);
    ASSERT_TRUE(session.connect(options));
    auto noop = std::async(std::launch::async, [&] {
        const bool done = session.command("NOOP");
        return std::make_pair(done, lastError());
    });
    for (int i = 0; i < 1000 && server.received().size() < 2; ++i)
        std::this_thread::sleep_for(10ms);
    session.cancel();
    ASSERT_EQ(noop.wait_for(10s), std::future_status::ready);
    const auto [done, error] = noop.get();
    EXPECT_FALSE(done);
    EXPECT_EQ(error, FtpError::Cancelled);

    EXPECT_TRUE(session.command("SYST"));
    EXPECT_EQ(lastResponse(), "215 UNIX Type: L8\n");
}

} // namespace
} // namespace tarvo::ftp
