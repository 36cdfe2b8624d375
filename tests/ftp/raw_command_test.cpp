// Commands typed in a command window: what reaches the server, and what the window's log shows.
#include "ftp/raw_command.h"
#include "scripted_server.h"
#include "session_fixture.h"

#include "support/file_content.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using tarvo::ftp::test::ScriptedServer;

const LogClock noon = [] { return std::string("12:00:00"); };

TEST(RawCommand, TransfersAndLineBreaksNeverReachTheServer) {
    ScriptedServer server("220 hi\r\n", {{"USER", "230 ok\r\n"},
                                         {"pwd", "257 \"/pub\" is current\r\n"},
                                         {"APPE", "425 Use PORT or PASV first.\r\n"}});
    tarvo::ftp::Session session;
    tarvo::ftp::ConnectOptions options;
    options.host = "127.0.0.1";
    options.port = server.port();
    options.user = "u";
    options.password = "p";
    ASSERT_TRUE(session.connect(options));

    struct Case {
        std::string command;
        const char* reply; // nullptr: nothing may reach the server
    };
    const Case cases[] = {{"pwd", "257 \"/pub\" is current"},
                          {"REST 100", "200 OK"},
                          {"APPE x", "425 Use PORT or PASV first."},
                          {"RETR x", nullptr},
                          {"Stor x", nullptr},
                          {"stou", nullptr},
                          {"NOOP\r\nDELE x", nullptr},
                          {"NOOP\nDELE x", nullptr}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.command);
        const std::size_t before = server.received().size();
        std::vector<std::string> log;
        EXPECT_EQ(runRawCommand(session, test.command, noon,
                                [&](std::string line) { log.push_back(std::move(line)); }),
                  0u);
        const std::vector<std::string> received = server.received();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log[0], "[12:00:00] Command:> " + test.command);
        if (test.reply == nullptr) {
            EXPECT_EQ(received.size(), before);
            EXPECT_EQ(log.size(), 1u);
            continue;
        }
        ASSERT_GT(received.size(), before);
        EXPECT_EQ(received.back(), test.command) << "sent as typed";
        EXPECT_EQ(log, (std::vector<std::string>{log[0], "[12:00:00] Status:>  ", test.reply}));
    }
}

class RawCommands : public SessionFixture {
protected:
    // A pyftpdlib server whose listings are the canned files; it records every line it gets.
    void start(const char* mode) {
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", mode, canned.path());
        fs::create_directory(server->root / "pub");
    }
    std::vector<std::string> execute(const std::string& command) {
        std::vector<std::string> log;
        ftp->ExecuteCommand(command, [&](std::string line) { log.push_back(std::move(line)); });
        return log;
    }

    TempTree canned;
    std::unique_ptr<tarvo::ftp::test::TestServer> server;
};

class ListingReplies : public RawCommands, public testing::WithParamInterface<const char*> {};

// The data follows the reply lines whole, also when the server's 226 comes before the client
// has read the data.
TEST_P(ListingReplies, TheDataIsLoggedWholeAfterTheReply) {
    std::string listing;
    for (int i = 0; i < 5000; ++i)
        listing += "-rw-r--r-- 1 owner group 1 Jan 1 2001 entry" + std::to_string(i) + "\r\n";
    writeFile(canned.at("default"), listing);
    start(GetParam());
    connectAndShow(*server);

    const std::vector<std::string> log = execute("list -la");
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "[12:00:00] Command:> list -la");
    EXPECT_EQ(log[1], "[12:00:00] Status:>  ");
    EXPECT_EQ(log[2].substr(log[2].rfind('\n') + 1, 1), "1") << "ends with the preliminary reply";
    EXPECT_TRUE(log[3] == listing) << log[3].size() << " bytes of " << listing.size();
    EXPECT_NE(readFile(canned.at("received")).find("\nlist -la\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Servers, ListingReplies, testing::Values("canned", "early-226"),
                         [](const auto& info) {
                             return std::string(info.param) == "canned" ? "normal" : "early226";
                         });

TEST_F(RawCommands, AChangeOfFolderMovesThePanelAndNoConnectionIsSaid) {
    EXPECT_EQ(execute("pwd"),
              (std::vector<std::string>{"[12:00:00] Command:> pwd",
                                        "[12:00:00] Status:>  Connect call failed. "}));

    writeFile(canned.at("default"), "");
    writeFile(canned.at("pub"), "-rw-r--r-- 1 owner group 1 Jan 1 2001 inner.txt\r\n");
    start("canned");
    connectAndShow(*server);
    const std::vector<std::string> log = execute("CWD /pub");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[2].substr(0, 3), "250");
    EXPECT_EQ(ftp->currentDir(), "/pub");
    EXPECT_EQ(screen.lastView().PathLabel, "0:/pub");
    EXPECT_EQ(rows(), std::vector<std::string>{"inner.txt"});
}

} // namespace
