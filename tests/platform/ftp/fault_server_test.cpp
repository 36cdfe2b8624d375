// The transport against servers that fail: slowness, cancels from another thread, a new login.
// Refused restarts, closed ports and slow listings are the FTP session tests' cases.
#include "platform/ftp/ftp_session.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace tarvo::ftp {
namespace {

using namespace std::chrono_literals;
using test::TestServer;

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
std::pair<std::string, bool> readAll(Stream& stream, std::atomic<std::size_t>* progress = nullptr) {
    std::string content;
    char buffer[16 * 1024];
    for (;;) {
        const auto got = stream.read(buffer, sizeof buffer);
        if (!got)
            return {content, false};
        if (*got == 0)
            return {content, true};
        content.append(buffer, *got);
        if (progress != nullptr)
            *progress += *got;
    }
}

std::pair<bool, FtpError> outcome(bool succeeded) {
    return {succeeded, lastError()};
}

// Waits, with a generous deadline, until the transfer has moved some bytes.
void waitForProgress(const std::atomic<std::size_t>& progress) {
    for (int i = 0; i < 1000 && progress == 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_GT(progress, 0u);
}

// A cancel on another thread ends a slow transfer, and the session goes on.
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
    std::atomic<std::size_t> progress{0};
};

// A cancel leaves the connection for the next command; a disconnect drops it.
TEST_P(CancelDuringTransfer, CancelOrDisconnectEndsADownload) {
    for (const bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "disconnect" : "cancel");
        progress = 0;
        ASSERT_NO_FATAL_FAILURE(startSlowDownload());
        auto reader = std::async(std::launch::async, [&] {
            const bool ended = readAll(*stream, &progress).second;
            const FtpError readError = lastError();
            stream->close();
            return std::make_tuple(ended, readError, lastError());
        });
        waitForProgress(progress);
        disconnect ? connected->session.disconnect() : connected->session.cancel();
        ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(reader.get(), std::tuple(false, FtpError::Cancelled, FtpError::Cancelled));

        connected->server->putFile("after.txt", "x");
        const auto listing = connected->session.find("");
        EXPECT_EQ(lastError(), disconnect ? FtpError::InvalidHandle : FtpError::None);
        EXPECT_EQ(listing ? listing->entries.size() : 0u, disconnect ? 0u : 2u);
    }
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
            progress += chunk.size();
        }
        return FtpError::None;
    });
    waitForProgress(progress);
    stream->abort();
    ASSERT_EQ(writer.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(writer.get(), FtpError::Cancelled);
    EXPECT_FALSE(stream->close());
    EXPECT_TRUE(connected->session.find("").has_value())
        << static_cast<unsigned>(lastError()) << " " << lastResponse();
}

// A new login on a session drops its old connection; a stream left from it fails cleanly.
TEST(Reconnect, StreamOfTheOldConnectionFailsAndTheNewOneWorks) {
    auto connected = connectTo("normal");
    connected->server->putFile("a.txt", "abc");
    auto stream = connected->session.openRead("a.txt");
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(connected->session.connect(connected->server->options()));
    char buffer[4];
    EXPECT_EQ(outcome(stream->read(buffer, sizeof buffer).has_value()),
              std::pair(false, FtpError::Cancelled));
    EXPECT_FALSE(stream->close());
    EXPECT_TRUE(connected->session.command("NOOP"));
    EXPECT_TRUE(connected->session.find("").has_value());
}

INSTANTIATE_TEST_SUITE_P(Modes, CancelDuringTransfer,
                         ::testing::Values(TransferMode::Passive, TransferMode::Active),
                         [](const auto& info) {
                             return info.param == TransferMode::Passive ? "passive" : "active";
                         });

} // namespace
} // namespace tarvo::ftp
