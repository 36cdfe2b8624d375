// The FTP session against pyftpdlib servers that fail, lie or crawl: the error table, the
// reconnect, listings of every form, the raw copy, and a disconnect in the middle of a listing.
#include "session_fixture.h"

#include "ftp/remote_listing.h"
#include "support/file_content.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvo::ftp::test::TestServer;

template <class Condition> bool waitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return condition();
}

bool holds(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

using FaultySession = SessionFixture;

TEST_F(FaultySession, ConnectFailuresAreToldInTheUsersWords) {
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "normal");
    const std::string closedPort = std::to_string(tarvo::ftp::test::closedPort("127.0.0.1"));
    const std::tuple<std::string ConnectFields::*, std::string, std::string> cases[] = {
        {&ConnectFields::Password, "wrong", "ConnectionRefused\n\nCheckLogin"},
        {&ConnectFields::Port, closedPort, "Timeout"},
        {&ConnectFields::Host, "no-such-host.invalid", "IncorrectHostAddress"},
        {&ConnectFields::SiteName, "", "NameFieldIsBlank"}};
    for (const auto& [field, value, box] : cases) {
        ConnectFields fields = fieldsFor(*server);
        fields.*field = value;
        const std::size_t before = boxes().size();
        const int result = ftp->Connect(fields, 2);
        EXPECT_EQ(std::tuple(result, ftp->FtpPanel.load(), ftp->connected()),
                  std::tuple(-2, 0, false))
            << box;
        ASSERT_EQ(boxes().size(), before + 1) << box;
        EXPECT_EQ(boxes().back(), box);
    }
    EXPECT_TRUE(holds(screen.console(), "[12:00:00] Status:> Connect call failed. "));
    EXPECT_TRUE(screen.views().empty());
}

TEST_F(FaultySession, AFailedGreetingReconnectsIntoThePanelTheConnectWasFor) {
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "greet-421-once");
    screen.script().answerNext(MessageButton::Yes);
    EXPECT_EQ(ftp->Connect(fieldsFor(*server), 1), -2) << "this connect failed";
    EXPECT_EQ(boxes(), std::vector<std::string>{"Reconnect"});
    EXPECT_EQ(std::tuple(ftp->FtpPanel.load(), ftp->connected(), screen.lastSide(),
                         screen.lastView().PathLabel),
              std::tuple(1, true, PanelSide::Right, "0:/"))
        << "the reconnect took the right panel";
}

TEST_F(FaultySession, ALostConnectionOffersAReconnectIntoTheSamePanelAndFolder) {
    for (const MessageButton answer : {MessageButton::Yes, MessageButton::No}) {
        const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "list-421-once");
        fs::create_directory(server->root / "sub");
        writeFile(server->root / "sub" / "f.txt", "f");
        sites->setStartDir("/sub");
        ASSERT_EQ(ftp->Connect(fieldsFor(*server), 1), 1);
        screen.script().answerNext(answer);
        const int result = ftp->List();
        EXPECT_EQ(boxes().back(), "Reconnect");
        if (answer == MessageButton::Yes) {
            EXPECT_EQ(
                std::tuple(result, ftp->FtpPanel.load(), screen.lastSide(),
                           screen.lastView().PathLabel, rows()),
                std::tuple(0, 1, PanelSide::Right, "0:/sub", std::vector<std::string>{"f.txt"}));
            ftp->Disconnect();
            ftp->settle();
        } else {
            EXPECT_EQ(std::tuple(result, ftp->FtpPanel.load(), screen.sessions().back().Connected,
                                 screen.sessions().back().Side, screen.lastView().Session),
                      std::tuple(-2, 0, false, PanelSide::Right, 0u))
                << "the panel is local again";
            EXPECT_EQ(sites->currentSite().StartDir, "/sub") << "a later connect starts there";
        }
    }
}

// Canned listings: the lines servers send, each form and fault the panel must survive.
class CannedListing : public SessionFixture {
protected:
    void serve(const std::string& mode, const std::string& listing, int throttle = 0) {
        writeFile(canned.at("default"), listing);
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", mode, canned.path(), throttle);
    }

    TempTree canned;
    std::unique_ptr<TestServer> server;
};

TEST_F(CannedListing, UnixAndMsDosLinesBecomeRowsAndUnreadableLinesAreSkippedWithOneNotice) {
    const std::string longName(300, 'n');
    const std::string listing = "total 12\r\n"
                                "drwxr-xr-x   2 owner group     4096 Mar  5 12:34 src\r\n"
                                "-rw-r--r-- 1 owner 1234 Jan 15 2007 a.txt\r\n"
                                "lrwxrwxrwx 1 owner group 7 Jan 1 2001 lib -> usr/lib\r\n"
                                "lrwxrwxrwx 1 owner group 9 Jan 1 2001 libc.so -> libc.so.6\r\n"
                                "this line is no entry\r\n"
                                "-rwsr-xr-x 1 o g 5 Jan 1 2001 suid\r\n"
                                "drwxrwxrwt 2 o g 4096 Jan 1 2001 tmp\r\n"
                                "-rw-r--r-- 1 o g 5 Foo 9 2001 month\r\n"
                                "neither is this one\r\n"
                                "-rw-r--r-- 1 o g 5368709120 Jan 1 2001 big.iso\r\n"
                                "-rw-r--r-- 1 o g 1 Jan 2 2001 " +
                                longName + "\r\n" +
                                "drwxr-xr-x   2 owner group     4096 Jan 15  2007 .\r\n"
                                "01-15-07  10:30AM       <DIR>          Program Files\r\n"
                                "12-31-1999  12:05PM           4294967296 year end.log\r\n";
    serve("canned", listing);
    connectAndShow(*server);

    EXPECT_EQ(rows(), (std::vector<std::string>{"[src]", "[lib]", "[tmp]", "[Program Files]",
                                                "a.txt", "libc.so", "suid", "month", "big.iso",
                                                longName, "year end.log"}));
    EXPECT_EQ(boxes(), std::vector<std::string>{"ListField"});
    const std::pair<const char*, std::int64_t> modes[] = {
        {"src", 755}, {"tmp", 777},          {"suid", 755},        {"a.txt", 644},
        {"lib", 777}, {"Program Files", 16}, {"year end.log", 128}};
    for (const auto& [name, number] : modes)
        EXPECT_EQ(remoteAttributeNumber(*row(name)), number) << name;
    // The set-id and sticky bits are kept for a later chmod.
    EXPECT_EQ(std::tuple(row("suid")->Mode, row("tmp")->Mode, row("lib")->IsSymlink,
                         row("libc.so")->IsSymlink, row("libc.so")->Size, row("big.iso")->Size,
                         row("year end.log")->Size),
              std::tuple(04755u, 01777u, true, true, 0, 5368709120, 4294967296));
    EXPECT_EQ(row("month")->Time, serverClockSeconds({2001, 1, 9, 0, 0}));
    EXPECT_EQ(screen.lastView().Totals,
              "Files 7 | Dirs 4 | Size " +
                  std::to_string((1234 + 5 + 5 + 5368709120 + 1 + 4294967296) / 1024) + "KB");
    EXPECT_EQ(readFile(program.at("temp")), listing) << "the raw reply, byte for byte";
}

TEST_F(CannedListing, TheNextListingReplacesTheRawCopyAndLeavesNoOtherBehind) {
    serve("canned", "-rw-r--r-- 1 o g 1 Jan 2 2001 first\r\n");
    connectAndShow(*server);
    const std::string next = "-rw-r--r-- 1 o g 2 Jan 3 2001 next\r\n";
    writeFile(canned.at("default"), next);
    ASSERT_EQ(ftp->List(), 0);
    std::vector<std::string> copies;
    for (const fs::directory_entry& entry : fs::directory_iterator(program.path()))
        if (entry.path().filename().string().starts_with("temp"))
            copies.push_back(entry.path().filename().string());
    EXPECT_EQ(std::tuple(copies, readFile(program.at("temp"))),
              std::tuple(std::vector<std::string>{"temp"}, next));
}

TEST_F(CannedListing, SizesPast2To63KeepTheirValueAndTheTotalStopsAtTheLargest) {
    serve("canned", "-rw-r--r-- 1 o g 9223372036854775808 Jan 1 2001 half\r\n"
                    "-rw-r--r-- 1 o g 18446744073709551615 Jan 1 2001 max\r\n"
                    "01-01-20  10:00AM  9999999999999999999 dos\r\n");
    connectAndShow(*server);
    EXPECT_EQ(std::tuple(row("half")->Size, row("max")->Size, row("dos")->Size),
              std::tuple(9223372036854775808u, 18446744073709551615u, 9999999999999999999u));
    EXPECT_EQ(screen.lastView().Totals, "Files 3 | Dirs 0 | Size 18014398509481983KB");
}

TEST_F(CannedListing, AnErrorTextForAListingLeadsUpOneLevel) {
    serve("canned", "-rw-r--r-- 1 o g 1 Jan 2 2001 top\r\n");
    fs::create_directory(server->root / "err");
    writeFile(canned.at("err"), "FTP: No Such Folder\r\n");
    connectAndShow(*server);
    const int opened = ftp->ChangeDir("/err", 0x10, 0);
    EXPECT_EQ(std::tuple(opened, boxes(), ftp->currentDir(), rows()),
              std::tuple(16, std::vector<std::string>{"ftp: no such folder"}, "/",
                         std::vector<std::string>{"top"}));
}

TEST_F(CannedListing, AnEarly226DoesNotCutASlowListing) {
    std::string listing;
    for (int i = 0; i < 3000; ++i)
        listing +=
            "-rw-r--r-- 1 o g " + std::to_string(i) + " Jan 1 2001 f" + std::to_string(i) + "\r\n";
    serve("early-226", listing, 48 * 1024); // about two seconds, the 226 long before the end
    connectAndShow(*server);
    EXPECT_EQ(std::tuple(rows().size(), rows().back()), std::tuple(3000u, "f2999"));
}

TEST_F(CannedListing, AProgramFolderWithoutRoomForTheCopyStillShowsTheListing) {
    serve("canned", "-rw-r--r-- 1 o g 1 Jan 2 2001 shown\r\n");
    setenv("TARVO_HOME", program.at("missing").c_str(), 1);
    connectAndShow(*server);
    EXPECT_EQ(rows(), std::vector<std::string>{"shown"});
    EXPECT_TRUE(holds(screen.console(), "[12:00:00] Command:> Unable to open local file "));
    EXPECT_FALSE(fs::exists(program.at("temp")));
}

TEST_F(CannedListing, ADisconnectInTheMiddleOfAListingEndsItAndDropsItsRows) {
    std::string listing;
    for (int i = 0; i < 20000; ++i)
        listing += "-rw-r--r-- 1 o g 1 Jan 1 2001 file" + std::to_string(i) + "\r\n";
    serve("canned", listing, 4096); // minutes for the whole listing
    ASSERT_EQ(ftp->Connect(fieldsFor(*server), 2), 1);
    const std::uint64_t listedBy = ftp->generation();
    auto worker = std::async(std::launch::async, [this] {
        const int listed = ftp->List();
        ftp->FillGrid("*.*");
        return listed;
    });
    ASSERT_TRUE(waitFor([this] { return holds(screen.console(), "[12:00:00] Command:> LIST"); }));
    ftp->Disconnect();
    ASSERT_EQ(worker.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(std::tuple(worker.get(), ftp->FtpPanel.load()), std::tuple(-2, 0));
    EXPECT_NE(ftp->generation(), listedBy);
    for (const PanelView& view : screen.views())
        EXPECT_NE(view.Session, ftp->generation()) << "no view of a newer session";
    EXPECT_TRUE(boxes().empty()) << "a cancel is the user's own wish";
    // A command's next call after the disconnect does not reach the server either.
    auto next = std::async(std::launch::async, [this] { return ftp->List(); });
    ASSERT_EQ(next.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(next.get(), -2);
    ftp->settle();
    EXPECT_FALSE(ftp->connected());
    EXPECT_TRUE(boxes().empty());
}

// The rows a panel shows name the folder they were listed from, so a command built from them
// acts there: a sort while the next folder's listing crawls in shows them under their own folder.
TEST_F(CannedListing, ASortWhileTheNextFolderIsListedKeepsTheRowsWithTheirFolder) {
    std::string root;
    for (int i = 0; i < 20000; ++i)
        root += "-rw-r--r-- 1 o g 1 Jan 1 2001 file" + std::to_string(i) + "\r\n";
    serve("canned", root, 4096); // minutes for the root's listing
    writeFile(canned.at("d"), "-rw-r--r-- 1 o g 1 Jan 1 2001 in_d\r\n");
    fs::create_directory(server->root / "d");
    sites->setStartDir("/d");
    connectAndShow(*server);
    ASSERT_EQ(rows(), std::vector<std::string>{"in_d"});
    auto worker = std::async(std::launch::async, [this] { return ftp->ChangeDir("..", 0x10, 0); });
    ASSERT_TRUE(waitFor([this] { return ftp->currentDir() == "/"; }));
    ASSERT_TRUE(ftp->Sort("name 0-1", false));
    ftp->FillGrid(); // as the panel's sort thread does
    EXPECT_EQ(std::tuple(screen.lastView().Path, screen.lastView().PathLabel, rows()),
              std::tuple("/d", "0:/d", std::vector<std::string>{"in_d"}));
    ftp->Disconnect();
    ASSERT_EQ(worker.wait_for(10s), std::future_status::ready);
}

TEST_F(CannedListing, AnUnexpectedFailureIsNeverTakenForSuccess) {
    serve("canned", "drwxr-xr-x 2 o g 4096 Jan 2 2001 folder\r\n");
    screen.failOn = "Waiting for welcome message";
    const int result = ftp->Connect(fieldsFor(*server), 2);
    EXPECT_EQ(std::tuple(result, ftp->connected(), ftp->FtpPanel.load(), boxes().back()),
              std::tuple(-2, false, 0, "ConnectFailed"))
        << "half a connect is closed";

    screen.failOn.clear();
    connectAndShow(*server);
    screen.failOn = "Command:> MKD";
    EXPECT_FALSE(ftp->MkDir("/", "new"));
    EXPECT_EQ(boxes().back(), "App error in FTPCom::MkDir");
    screen.failOn = "Command:> DELE";
    EXPECT_EQ(ftp->Delete("/folder/x", 0x80), -2);
    EXPECT_EQ(boxes().back(), "App error in FTPCom::Delete");
}

} // namespace
