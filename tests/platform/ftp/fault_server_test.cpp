// The transport against servers that fail: refusals, dropped connections, lies, slowness,
// and cancels from another thread.
#include "platform/ftp/ftp_session.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>

namespace tarvo::ftp {
namespace {

using namespace std::chrono_literals;
using test::TestServer;

using Clock = std::chrono::steady_clock;

struct Connected {
    std::unique_ptr<TestServer> server;
    Session session;
};

std::unique_ptr<Connected> connectTo(const std::string& mode, const std::string& argument = "",
                                     int throttle = 0,
                                     TransferMode transfer = TransferMode::Passive) {
    auto connected = std::make_unique<Connected>();
    connected->server = test::startFaultServer("127.0.0.1", mode, argument, throttle);
    EXPECT_TRUE(connected->session.connect(connected->server->options(transfer))) << lastResponse();
    return connected;
}

// Reads until the end or an error; the bytes read and whether it ended cleanly.
std::pair<std::string, bool> readAll(Stream& stream) {
    std::string content;
    char buffer[16 * 1024];
    for (;;) {
        const auto got = stream.read(buffer, sizeof buffer);
        if (!got)
            return {content, false};
        if (*got == 0)
            return {content, true};
        content.append(buffer, *got);
    }
}

TEST(ConnectFailures, ClosedPortAndUnknownHost) {
    Session session;
    ConnectOptions options;
    options.host = "127.0.0.1";
    options.port = test::closedPort("127.0.0.1");
    options.user = "u";
    EXPECT_FALSE(session.connect(options));
    EXPECT_EQ(lastError(), FtpError::CannotConnect);
    options.host = "::1";
    options.port = test::closedPort("::1");
    EXPECT_FALSE(session.connect(options));
    EXPECT_EQ(lastError(), FtpError::CannotConnect);
    options.host = "no-such-host.invalid";
    EXPECT_FALSE(session.connect(options));
    EXPECT_EQ(lastError(), FtpError::NameNotResolved);
    EXPECT_FALSE(session.command("NOOP"));
    EXPECT_EQ(lastError(), FtpError::InvalidHandle);
}

TEST(ConnectFailures, GreetingNeverSentTimesOut) {
    const auto server = test::startFaultServer("127.0.0.1", "never-greet");
    ConnectOptions options = server->options();
    options.timeouts.connect = 300ms;
    Session session;
    const auto start = Clock::now();
    EXPECT_FALSE(session.connect(options));
    EXPECT_EQ(lastError(), FtpError::Timeout);
    EXPECT_LT(Clock::now() - start, 2s);
}

TEST(ServerFaults, StorageRefusedAfterTheDataIsAFailure) {
    auto connected = connectTo("stor-552");
    auto stream = connected->session.openWrite("full.bin");
    ASSERT_NE(stream, nullptr);
    const std::string data(100'000, 'x');
    ASSERT_TRUE(stream->write(data.data(), data.size()));
    EXPECT_FALSE(stream->close());
    EXPECT_EQ(lastError(), FtpError::ServerRefused);
    EXPECT_EQ(lastResponse().substr(0, 4), "552 ");
    EXPECT_TRUE(connected->session.command("NOOP"));
}

TEST(ServerFaults, Reply421IsALostConnection) {
    auto connected = connectTo("close-421");
    EXPECT_FALSE(connected->session.changeDir("anywhere"));
    EXPECT_EQ(lastError(), FtpError::ControlClosed);
    EXPECT_EQ(lastResponse().substr(0, 4), "421 ");
    EXPECT_FALSE(connected->session.connected());
    EXPECT_FALSE(connected->session.command("NOOP"));
    EXPECT_EQ(lastError(), FtpError::ControlClosed);
}

TEST(ServerFaults, DroppedDataConnectionIsDetected) {
    auto connected = connectTo("drop-data", "1000");
    connected->server->putFile("cut.bin", std::string(50'000, 'c'));
    auto stream = connected->session.openRead("cut.bin");
    ASSERT_NE(stream, nullptr);
    const auto [content, ended] = readAll(*stream);
    EXPECT_TRUE(ended);
    EXPECT_EQ(content.size(), 1000u);
    EXPECT_FALSE(stream->close());
    EXPECT_EQ(lastError(), FtpError::ServerRefused);
    EXPECT_EQ(lastResponse().substr(0, 4), "426 ");
}

TEST(ServerFaults, RestartIgnoredOrRefusedNeverLosesBytes) {
    const std::string content = randomBytes(20'000, 3);
    auto ignoring = connectTo("rest-ignored");
    ignoring->server->putFile("f.bin", content);
    auto stream = ignoring->session.openRead("f.bin", 5000);
    ASSERT_NE(stream, nullptr);
    EXPECT_NE(lastResponse().find("350 "), std::string::npos);
    EXPECT_TRUE(readAll(*stream).first == content); // the caller sees the server ignored it
    EXPECT_TRUE(stream->close());

    auto refusing = connectTo("rest-refused");
    refusing->server->putFile("f.bin", content);
    EXPECT_EQ(refusing->session.openRead("f.bin", 5000), nullptr);
    EXPECT_EQ(lastError(), FtpError::ServerRefused);
    EXPECT_NE(lastResponse().find("502 Command not implemented.\n"), std::string::npos);
    EXPECT_FALSE(refusing->session.command("REST 5000"));
    EXPECT_EQ(lastResponse(), "502 Command not implemented.\n");
    stream = refusing->session.openRead("f.bin");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(readAll(*stream).first == content);
    EXPECT_TRUE(stream->close());
}

TEST(ServerFaults, PassiveAddressOfTheReplyIsNotFollowed) {
    auto connected = connectTo("pasv-elsewhere");
    connected->server->putFile("here.txt", "data");
    auto stream = connected->session.openRead("here.txt");
    ASSERT_NE(stream, nullptr) << lastResponse();
    EXPECT_NE(lastResponse().find("127,0,0,2"), std::string::npos);
    EXPECT_EQ(readAll(*stream).first, "data");
    EXPECT_TRUE(stream->close());
}

// A cancel on another thread ends a slow transfer within a second, and the session goes on.
class CancelDuringTransfer : public ::testing::TestWithParam<TransferMode> {
protected:
    // A server throttled to 256 KiB/s, and the download of an 8 MiB file from it begun.
    void startSlowDownload() {
        connected = connectTo("normal", "", 256 * 1024, GetParam());
        connected->server->putFile("slow.bin", std::string(8 * 1024 * 1024, 's'));
        stream = connected->session.openRead("slow.bin");
        ASSERT_NE(stream, nullptr);
    }

    std::unique_ptr<Connected> connected;
    std::unique_ptr<Stream> stream;
};

TEST_P(CancelDuringTransfer, SessionCancelEndsADownload) {
    ASSERT_NO_FATAL_FAILURE(startSlowDownload());
    auto reader = std::async(std::launch::async, [&] {
        const bool ended = readAll(*stream).second;
        return std::make_pair(ended, lastError());
    });
    std::this_thread::sleep_for(300ms);
    const auto cancelledAt = Clock::now();
    connected->session.cancel();
    const auto [ended, error] = reader.get();
    EXPECT_LT(Clock::now() - cancelledAt, 1s);
    EXPECT_FALSE(ended);
    EXPECT_EQ(error, FtpError::Cancelled);
    EXPECT_FALSE(stream->close());
    EXPECT_EQ(lastError(), FtpError::Cancelled);

    connected->server->putFile("after.txt", "x");
    const auto entries = connected->session.find("");
    ASSERT_TRUE(entries.has_value()) << lastResponse();
    EXPECT_EQ(entries->size(), 2u);
}

TEST_P(CancelDuringTransfer, StreamAbortEndsAnUpload) {
    connected = connectTo("normal", "", 256 * 1024, GetParam());
    stream = connected->session.openWrite("slow-up.bin");
    ASSERT_NE(stream, nullptr);
    auto writer = std::async(std::launch::async, [&] {
        const std::string chunk(256 * 1024, 'u');
        for (int i = 0; i < 64; ++i) {
            if (!stream->write(chunk.data(), chunk.size()))
                return lastError();
        }
        return FtpError::None;
    });
    std::this_thread::sleep_for(300ms);
    const auto abortedAt = Clock::now();
    stream->abort();
    EXPECT_EQ(writer.get(), FtpError::Cancelled);
    EXPECT_LT(Clock::now() - abortedAt, 1s);
    EXPECT_FALSE(stream->close());
    EXPECT_TRUE(connected->session.find("").has_value())
        << static_cast<unsigned>(lastError()) << " " << lastResponse();
}

TEST_P(CancelDuringTransfer, DisconnectDuringADownloadIsSafe) {
    ASSERT_NO_FATAL_FAILURE(startSlowDownload());
    auto reader = std::async(std::launch::async, [&] {
        const bool ended = readAll(*stream).second;
        const FtpError readError = lastError();
        const bool closed = stream->close();
        return std::make_tuple(ended, readError, closed);
    });
    std::this_thread::sleep_for(300ms);
    connected->session.disconnect();
    const auto [ended, readError, closed] = reader.get();
    EXPECT_FALSE(ended);
    EXPECT_EQ(readError, FtpError::Cancelled);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(connected->session.connected());
    EXPECT_FALSE(connected->session.command("NOOP"));
    EXPECT_EQ(lastError(), FtpError::InvalidHandle);
}

// A new login on a session drops its old connection; a stream left from it fails cleanly.
TEST(Reconnect, StreamOfTheOldConnectionFailsAndTheNewOneWorks) {
    auto connected = connectTo("normal");
    connected->server->putFile("a.txt", "abc");
    auto stream = connected->session.openRead("a.txt");
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(connected->session.connect(connected->server->options()));
    char buffer[4];
    EXPECT_FALSE(stream->read(buffer, sizeof buffer));
    EXPECT_EQ(lastError(), FtpError::Cancelled);
    EXPECT_FALSE(stream->close());
    EXPECT_TRUE(connected->session.command("NOOP"));
    EXPECT_TRUE(connected->session.find("").has_value());
}

INSTANTIATE_TEST_SUITE_P(Modes, CancelDuringTransfer,
                         ::testing::Values(TransferMode::Passive, TransferMode::Active),
                         [](const auto& info) {
                             return info.param == TransferMode::Passive ? "passive" : "active";
                         });

// Canned LIST replies, parsed by find().
class CannedListings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        canned_ = new TempTree;
        const auto write = [](const std::string& name, const std::string& text) {
            writeFile(canned_->at(name), text);
        };
        write("unix9", "total 8\r\n"
                       "drwxr-xr-x   2 owner group     4096 Jan 15  2007 docs\r\n"
                       "-rw-r--r--   1 owner group 5000000000 Feb  1  2020 huge.iso\r\n"
                       "drwxr-xr-x   2 owner group     4096 Jan 15  2007 .\r\n"
                       "drwxr-xr-x   2 owner group     4096 Jan 15  2007 ..\r\n");
        write("unix8", "-rw-r--r-- 1 owner 1234 Jan 15 2007 a.txt\r\n"
                       "drwxr-xr-x 3 owner 4096 Mar  1 2010 dir\r\n");
        write("blanks", "-rw-r--r-- 1 o g 5 Jan 1 2001 my file .txt\r\n"
                        "lrwxrwxrwx 1 o g 7 Jan 1 2001 lib dir -> usr/lib\r\n");
        write("dos", "01-15-07  10:30AM       <DIR>          Program Files\r\n"
                     "02-01-2020  09:05PM             12345 read me.txt\r\n");
        write("empty", "");
        std::string big;
        for (int i = 0; big.size() <= 1024 * 1024; ++i)
            big += "-rw-r--r-- 1 owner group " + std::to_string(i) + " Jan 1 2001 file" +
                   std::to_string(i) + "\r\n";
        write("big", big);
        bigCount_ = static_cast<std::size_t>(std::count(big.begin(), big.end(), '\n'));
    }
    static void TearDownTestSuite() { delete canned_; }

    static std::vector<RemoteEntry> listed(Session& session, const std::string& name) {
        auto entries = session.find(name);
        EXPECT_TRUE(entries.has_value()) << name << ": " << lastResponse();
        return entries.value_or(std::vector<RemoteEntry>{});
    }

    static TempTree* canned_;
    static std::size_t bigCount_;
};

TempTree* CannedListings::canned_ = nullptr;
std::size_t CannedListings::bigCount_ = 0;

TEST_F(CannedListings, UnixAndDosForms) {
    auto connected = connectTo("canned", canned_->path());
    auto entries = listed(connected->session, "unix9");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].directory);
    EXPECT_EQ(entries[1].size, 5000000000u);

    entries = listed(connected->session, "unix8");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a.txt");
    EXPECT_EQ(entries[0].size, 1234u);
    EXPECT_TRUE(entries[1].directory);

    entries = listed(connected->session, "blanks");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "my file .txt");
    EXPECT_EQ(entries[1].name, "lib dir");
    EXPECT_TRUE(entries[1].link);

    entries = listed(connected->session, "dos");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Program Files");
    EXPECT_TRUE(entries[0].directory);
    EXPECT_EQ(entries[1].name, "read me.txt");
    EXPECT_EQ(entries[1].time, (RemoteTime{2020, 2, 1, 21, 5}));

    EXPECT_TRUE(listed(connected->session, "empty").empty());
    EXPECT_EQ(lastError(), FtpError::NoMoreEntries);
}

TEST_F(CannedListings, LargeAndSlowListingsArriveWhole) {
    auto fast = connectTo("canned", canned_->path());
    EXPECT_EQ(listed(fast->session, "big").size(), bigCount_);
    auto slow = connectTo("canned", canned_->path(), 512 * 1024);
    const auto entries = listed(slow->session, "big");
    ASSERT_EQ(entries.size(), bigCount_);
    EXPECT_EQ(entries.back().name, "file" + std::to_string(bigCount_ - 1));
}

} // namespace
} // namespace tarvo::ftp
