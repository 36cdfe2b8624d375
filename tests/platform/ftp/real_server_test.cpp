// The transport against vsftpd on IPv4 and IPv6, passive and active (pyftpdlib serves the
// transfer and fault tests).
#include "platform/ftp/ftp_session.h"
#include "support/skip_or_fail.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace tarvo::ftp {
namespace {

using test::TestServer;

struct ServerSetup {
    const char* host;
    TransferMode mode;
};

std::string setupName(const ::testing::TestParamInfo<ServerSetup>& info) {
    return std::string(std::string(info.param.host) == "::1" ? "IPv6" : "IPv4") +
           (info.param.mode == TransferMode::Passive ? "_passive" : "_active");
}

const std::string& twentyMegabytes() {
    static const std::string bytes = randomBytes(20 * 1024 * 1024, 20);
    return bytes;
}

// One server per address for the whole run (or why it could not start); they stop when the
// program ends.
const test::StartedServer& serverFor(const ServerSetup& setup) {
    static std::map<std::string, test::StartedServer> running;
    test::StartedServer& slot = running[setup.host];
    if (!slot.server && slot.whyNot.empty())
        slot = test::startVsftpd(setup.host);
    return slot;
}

class RealServer : public ::testing::TestWithParam<ServerSetup> {
protected:
    void SetUp() override {
        const test::StartedServer& started = serverFor(GetParam());
        if (!started.server)
            SKIP_OR_FAIL(started.whyNot);
        server_ = started.server.get();
        for (const auto& entry : std::filesystem::directory_iterator(server_->root))
            std::filesystem::remove_all(entry.path());
        ASSERT_TRUE(session_.connect(server_->options(GetParam().mode))) << lastResponse();
    }

    std::optional<std::string> download(Session& session, const std::string& path,
                                        std::uint64_t offset = 0) {
        auto stream = session.openRead(path, offset);
        if (!stream)
            return std::nullopt;
        std::string content;
        char buffer[64 * 1024];
        while (const auto got = stream->read(buffer, sizeof buffer)) {
            if (*got == 0)
                return stream->close() ? std::optional(content) : std::nullopt;
            content.append(buffer, *got);
        }
        return std::nullopt;
    }

    bool upload(const std::string& path, const std::string& content) {
        auto stream = session_.openWrite(path);
        // Written in chunks, as a transfer loop would.
        for (std::size_t done = 0; stream && done < content.size(); done += 100'000) {
            if (!stream->write(content.data() + done,
                               std::min<std::size_t>(100'000, content.size() - done)))
                return false;
        }
        return stream && stream->close();
    }

    static std::pair<bool, FtpError> outcome(bool succeeded) { return {succeeded, lastError()}; }

    std::string remote(const std::string& name) const { return readFile(server_->root / name); }

    TestServer* server_ = nullptr;
    Session session_;
};

TEST_P(RealServer, TransfersAreByteIdentical) {
    const std::map<std::string, std::string> files = {
        {"empty.bin", ""}, {"small.txt", "small\r\nfile\n"}, {"big.bin", twentyMegabytes()}};
    for (const auto& [name, content] : files) {
        ASSERT_TRUE(upload(name, content)) << name << ": " << lastResponse();
        EXPECT_EQ(lastResponse().substr(0, 3), "226") << name;
        EXPECT_TRUE(remote(name) == content) << name;
        const auto fetched = download(session_, name);
        ASSERT_TRUE(fetched.has_value()) << name << ": " << lastResponse();
        EXPECT_TRUE(*fetched == content) << name;
    }
    // A resumed download starts at its offset, and the next one at zero again.
    const std::string& big = files.at("big.bin");
    EXPECT_TRUE(download(session_, "big.bin", 100'000) == big.substr(100'000));
    EXPECT_TRUE(download(session_, "big.bin") == big);
}

// A REST typed by hand must not shift any later transfer: a download written from byte 0 of
// a local file would otherwise be silently corrupt.
TEST_P(RealServer, RawRestNeverLeaksIntoALaterTransfer) {
    const std::string content = randomBytes(50'000, 2);
    server_->putFile("whole.bin", content);
    ASSERT_TRUE(session_.command("REST 100"));
    EXPECT_EQ(lastResponse().substr(0, 4), "350 ");
    EXPECT_TRUE(download(session_, "whole.bin") == content);

    ASSERT_TRUE(session_.command("REST 100"));
    ASSERT_TRUE(upload("uploaded.bin", content));
    EXPECT_TRUE(remote("uploaded.bin") == content);

    ASSERT_TRUE(session_.command("REST 100"));
    ASSERT_TRUE(session_.find(""));
    EXPECT_TRUE(download(session_, "whole.bin") == content);
}

TEST_P(RealServer, LoginAndDirectoryOperations) {
    EXPECT_EQ(lastResponse().substr(0, 4), "220 ") << "the replies of the login are recorded";
    EXPECT_NE(lastResponse().find("\n230"), std::string::npos);
    EXPECT_EQ(session_.currentDir(), "/");
    EXPECT_EQ(lastResponse().substr(0, 4), "257 ");
    ASSERT_TRUE(session_.makeDir("ops"));
    ASSERT_TRUE(session_.changeDir("ops"));
    EXPECT_EQ(session_.currentDir(), "/ops");
    ASSERT_TRUE(upload("f.txt", "12345"));
    ASSERT_TRUE(session_.rename("f.txt", "g h.txt"));
    const auto listing = session_.find("");
    ASSERT_TRUE(listing.has_value());
    ASSERT_EQ(listing->entries.size(), 1u);
    EXPECT_EQ(std::tie(listing->entries[0].name, listing->entries[0].size),
              std::tuple("g h.txt", 5u));
    EXPECT_TRUE(session_.command("SITE CHMOD 600 g h.txt"));
    EXPECT_EQ(std::filesystem::status(server_->root / "ops" / "g h.txt").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    const std::pair refused(false, FtpError::ServerRefused);
    EXPECT_EQ(outcome(session_.deleteFile("missing.txt")), refused);
    EXPECT_EQ(lastResponse().substr(0, 1), "5");
    EXPECT_EQ(outcome(session_.rename("missing.txt", "x")), refused);
    EXPECT_EQ(outcome(session_.openRead("missing.txt") != nullptr), refused);

    ASSERT_TRUE(session_.deleteFile("g h.txt"));
    ASSERT_TRUE(session_.changeDir(".."));
    ASSERT_TRUE(session_.removeDir("ops"));
    EXPECT_FALSE(std::filesystem::exists(server_->root / "ops"));
}

TEST_P(RealServer, FindListsEntriesOfADirectory) {
    std::filesystem::create_directories(server_->root / "tree" / "sub");
    server_->putFile("tree/a file.txt", "abc");
    std::filesystem::create_symlink("a file.txt", server_->root / "tree" / "link");
    auto listing = session_.find("tree");
    ASSERT_TRUE(listing.has_value()) << lastResponse();
    EXPECT_EQ(listing->unreadableLines, 0u);
    std::map<std::string, RemoteEntry> byName;
    for (auto& entry : listing->entries)
        byName[entry.name] = entry;
    ASSERT_EQ(byName.size(), 3u) << lastResponse();
    const RemoteEntry& file = byName["a file.txt"];
    EXPECT_EQ(std::tuple(byName["sub"].directory, file.size, file.directory, byName["link"].link,
                         file.time.year),
              std::tuple(true, 3u, false, true, currentLocalTime().year));

    std::filesystem::create_directories(server_->root / "nothing");
    listing = session_.find("nothing");
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(std::pair(listing->entries.size(), lastError()),
              std::pair(std::size_t{0}, FtpError::NoMoreEntries));
}

TEST_P(RealServer, RawListingOnADataConnection) {
    server_->putFile("listed.txt", "x");
    auto stream = session_.commandWithData("LIST", TransferType::Ascii);
    ASSERT_NE(stream, nullptr) << lastResponse();
    EXPECT_EQ(lastResponse().back(), '\n');
    // Commands wait for the transfer to end.
    EXPECT_EQ(outcome(session_.command("NOOP")), std::pair(false, FtpError::TransferInProgress));
    std::string listing;
    char buffer[4];
    while (const auto count = stream->available()) {
        const auto got =
            stream->read(buffer, std::min(sizeof buffer, std::max<std::size_t>(*count, 1)));
        ASSERT_TRUE(got.has_value());
        if (*got == 0)
            break;
        listing.append(buffer, *got);
    }
    EXPECT_TRUE(stream->close());
    EXPECT_EQ(lastResponse().substr(0, 3), "226");
    EXPECT_NE(listing.find("listed.txt\r\n"), std::string::npos);
    EXPECT_TRUE(session_.command("NOOP"));
}

using ServerLogin = RealServer;

TEST_P(ServerLogin, WrongPasswordIsRefusedAndAnonymousMayOnlyRead) {
    Session other;
    ConnectOptions options = server_->options(GetParam().mode);
    options.password = "not-the-password";
    EXPECT_EQ(outcome(other.connect(options)), std::pair(false, FtpError::PasswordRefused));
    EXPECT_FALSE(other.connected());

    server_->putFile("public.txt", "for everyone");
    options.user = "anonymous";
    options.password = "guest@example.invalid";
    ASSERT_TRUE(other.connect(options)) << lastResponse();
    EXPECT_EQ(download(other, "public.txt"), "for everyone");
    EXPECT_EQ(outcome(other.openWrite("intruder.txt") != nullptr),
              std::pair(false, FtpError::ServerRefused));
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer,
                         ::testing::Values(ServerSetup{"127.0.0.1", TransferMode::Passive},
                                           ServerSetup{"127.0.0.1", TransferMode::Active},
                                           ServerSetup{"::1", TransferMode::Passive},
                                           ServerSetup{"::1", TransferMode::Active}),
                         setupName);

INSTANTIATE_TEST_SUITE_P(Servers, ServerLogin,
                         ::testing::Values(ServerSetup{"127.0.0.1", TransferMode::Passive}),
                         setupName);

} // namespace
} // namespace tarvo::ftp
