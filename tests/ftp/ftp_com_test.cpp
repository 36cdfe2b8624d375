// The FTP session against vsftpd: either panel, start folders, navigation, making, deleting and
// renaming folders, and the console.
#include "session_fixture.h"

#include "ftp/remote_listing.h"
#include "support/file_content.h"
#include "support/skip_or_fail.h"

#include <filesystem>
#include <regex>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using tarvo::ftp::test::TestServer;

const tarvo::ftp::test::StartedServer& vsftpd() {
    static const auto started = tarvo::ftp::test::startVsftpd("127.0.0.1");
    return started;
}

class VsftpdSession : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        if (!vsftpd().server)
            SKIP_OR_FAIL(vsftpd().whyNot);
        server = vsftpd().server.get();
        for (const auto& entry : fs::directory_iterator(server->root))
            fs::remove_all(entry.path());
        fs::create_directories(server->root / "sub" / "inner");
        writeFile(server->root / "a.txt", "12345");
        writeFile(server->root / "b.txt", "b");
        fs::create_directory_symlink("sub", server->root / "lnk");
        fs::create_directory_symlink("sub", server->root / "dir.lnk");
        server->handOver();
    }

    TestServer* server = nullptr;
};

class EitherPanel : public VsftpdSession, public testing::WithParamInterface<int> {};

TEST_P(EitherPanel, TheListingTakesThePanelAndTheDisconnectGivesItBack) {
    const int panel = GetParam();
    const PanelSide side = sideOf(panel);
    connectAndShow(*server, panel);
    ASSERT_FALSE(screen.sessions().empty());
    const auto session = [&] {
        const auto last = screen.sessions().back();
        return std::tuple(ftp->FtpPanel.load(), last.Connected, last.Side, screen.lastSide());
    };
    EXPECT_EQ(session(), std::tuple(panel, true, side, side));
    EXPECT_EQ(screen.sessions().back().Title, "Tarvo Manager [site - 127.0.0.1, 12:00:00]");
    const PanelView view = screen.lastView();
    EXPECT_EQ(std::tie(view.PathLabel, view.Disk, view.Session),
              std::tuple("0:/", "127.0.0.1", ftp->generation()));
    EXPECT_EQ(rows(), (std::vector<std::string>{"[lnk]", "[sub]", "a.txt", "b.txt", "dir.lnk"}));
    // A link whose name holds a dot is a file row.
    EXPECT_EQ(std::tuple(row("a.txt")->Size, remoteAttributeNumber(*row("a.txt")),
                         row("lnk")->IsSymlink, row("dir.lnk")->Size),
              std::tuple(5, 644, true, 0));

    ftp->Disconnect();
    EXPECT_EQ(session(), std::tuple(0, false, side, side));
    ftp->settle(); // the worker's next cycle
    EXPECT_FALSE(ftp->connected());
    EXPECT_EQ(screen.lastSide(), side);
    EXPECT_EQ(screen.lastView().Session, 0u) << "the panel shows its local folder again";
    const auto lines = screen.console();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::tie(lines[lines.size() - 3], lines.back()),
              std::tuple("[12:00:00] Command:> QUIT", "221 Goodbye."));
}

INSTANTIATE_TEST_SUITE_P(Panels, EitherPanel, testing::Values(2, 1),
                         [](const auto& info) { return info.param == 2 ? "left" : "right"; });

TEST_F(VsftpdSession, TheServersFolderNamesTheEntriesWhateverTheStartFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "/"}, {"/sub", "/sub"}, {"/no/such/folder", "/"}};
    for (const auto& [start, shown] : cases) {
        sites->setStartDir(start);
        connectAndShow(*server);
        EXPECT_EQ(ftp->currentDir(), shown) << start;
        EXPECT_EQ(screen.lastView().PathLabel, "0:" + shown) << start;
        EXPECT_TRUE(ftp->MkDir(shown, "made")) << start;
        EXPECT_TRUE(fs::is_directory(server->root / shown.substr(1) / "made")) << start;
        fs::remove(server->root / shown.substr(1) / "made");
    }
}

TEST_F(VsftpdSession, NavigationUpAtTheRootIntoLinksAndBack) {
    connectAndShow(*server);
    struct Step {
        std::string entry;
        int attributes;
        int result;
        std::string folder;
        std::string cursor; // the folder row the cursor goes to
    };
    const Step steps[] = {
        {"/sub", 0x10, 16, "/sub", ""},
        {"..", 0x10, 16, "/", "sub"},
        {"..", 0x10, 16, "/", ""},      // the root stays the root
        {"/lnk", 0x10, 16, "/sub", ""}, // the server names the folder a link leads to
        {"/", 0x10, 16, "/", "sub"},
        {"/dir.lnk", 0x80, 32, "/sub", ""}, // a file row of size 0 may be a link to a folder
        {"/sub/inner", 0x10, 16, "/sub/inner", "sub"}, // no row of that name: row 0
        {"/sub/inner/..", 0x10, 16, "/sub", "inner"},  // a row's parent, from its own folder
    };
    for (const Step& step : steps) {
        const int result = ftp->ChangeDir(step.entry, step.attributes, 0);
        EXPECT_EQ(std::tuple(result, ftp->currentDir(), screen.lastView().PathLabel,
                             screen.lastView().CursorFolder),
                  std::tuple(step.result, step.folder, "0:" + step.folder, step.cursor))
            << step.entry;
    }
    EXPECT_EQ(ftp->ChangeDir("a.txt", 0x80, 5), 32) << "a file with a size is not tried";
    EXPECT_EQ(ftp->currentDir(), "/sub");
}

TEST_F(VsftpdSession, DeletingATreeRemovesItsLinksButNotWhatTheyPointAt) {
    fs::create_directories(server->root / "outside");
    writeFile(server->root / "outside" / "keep.txt", "keep");
    fs::create_directories(server->root / "tree" / "deeper");
    writeFile(server->root / "tree" / "deeper" / "f", "f");
    fs::create_directory_symlink("../outside", server->root / "tree" / "deeper" / "away");
    fs::create_directory_symlink("../outside", server->root / "tree" / "also.away");
    server->handOver();
    connectAndShow(*server);

    EXPECT_EQ(ftp->DeleteDir("/tree/"), "/tree");
    EXPECT_EQ(ftp->Delete("/tree", 0x10), 1) << console();
    EXPECT_FALSE(fs::exists(server->root / "tree"));
    EXPECT_EQ(readFile(server->root / "outside" / "keep.txt"), "keep");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(VsftpdSession, ARenameNeverReplacesAndMakeAndDeleteReportRefusals) {
    connectAndShow(*server);
    for (const char* taken : {"b.txt", "sub", "", "..", "sub/x"}) {
        EXPECT_EQ(ftp->Rename("/", "a.txt", taken), -1) << taken;
        EXPECT_EQ(readFile(server->root / "a.txt"), "12345") << taken;
    }
    EXPECT_EQ(readFile(server->root / "b.txt"), "b");
    EXPECT_EQ(boxes(), std::vector<std::string>(5, "CouldNotRenameFile"));
    // A folder the session does not show is listed for the check: its own entries count.
    writeFile(server->root / "sub" / "b.txt", "sub's");
    EXPECT_EQ(ftp->Rename("/sub", "b.txt", "inner"), -1);
    EXPECT_EQ(ftp->Rename("/sub", "b.txt", "a.txt"), 1);
    EXPECT_EQ(readFile(server->root / "sub" / "a.txt"), "sub's");
    EXPECT_EQ(ftp->Rename("/", "a.txt", "c.txt"), 1);
    EXPECT_EQ(readFile(server->root / "c.txt"), "12345");

    EXPECT_TRUE(ftp->MkDir("/", "/sub")) << "a folder the listing shows counts as made";
    EXPECT_TRUE(ftp->MkDir("/", "new"));
    EXPECT_TRUE(fs::is_directory(server->root / "new"));
    screen.script().answerNext(MessageButton::Ok);
    EXPECT_EQ(ftp->Delete("/sub", 0x10), -1) << "a folder that is not empty";
    EXPECT_TRUE(fs::exists(server->root / "sub"));
    const auto shown = boxes();
    EXPECT_EQ(
        std::vector(shown.begin() + 6, shown.end()),
        (std::vector<std::string>{"CouldNotDeleteDirectory\n\n/sub", " OperationNotAllowed"}));
    EXPECT_EQ(ftp->DeleteAnswer, 0) << "OK goes on with the batch";
}

TEST_F(VsftpdSession, ConsoleLinesAndALongReply) {
    // A path of more than 2 KB: its PWD reply is logged whole.
    fs::path deep = server->root;
    std::string remote;
    for (char letter = 'a'; letter < 'a' + 11; ++letter) {
        deep /= std::string(200, letter);
        remote += "/" + std::string(200, letter);
    }
    fs::create_directories(deep);
    server->handOver();
    sites->setStartDir(remote);
    connectAndShow(*server);
    EXPECT_EQ(ftp->currentDir(), remote);

    const auto lines = screen.console();
    ASSERT_EQ(lines.size(), 11u) << console();
    const std::string status = "[12:00:00] Status:>  ";
    EXPECT_EQ(
        std::vector(lines.begin(), lines.begin() + 3),
        (std::vector<std::string>{"[12:00:00] Status:> Connecting to FTP server...  127.0.0.1",
                                  "[12:00:00] Status:> Waiting for welcome message...", status}));
    EXPECT_EQ(lines[3].substr(0, 11), "220 (vsFTPd");
    EXPECT_NE(lines[3].find("\n331 Please specify the password.\n230 Login successful."),
              std::string::npos);
    EXPECT_EQ(std::vector(lines.begin() + 4, lines.begin() + 10),
              (std::vector<std::string>{status, "250 Directory successfully changed.", status,
                                        "257 \"" + remote + "\" is the current directory",
                                        "[12:00:00] Command:> LIST", status}));
    EXPECT_TRUE(std::regex_match(lines[10], std::regex("200 Switching to ASCII mode.\n"
                                                       "200 PORT command successful.*\n"
                                                       "150 Here comes the directory listing.\n"
                                                       "226 Directory send OK.")))
        << lines[10];
}

TEST_F(VsftpdSession, ChmodSetsTheModeNumberAndReportsARefusal) {
    EXPECT_FALSE(ftp->Chmod("/a.txt", 600)) << "no connection";
    connectAndShow(*server);
    for (const auto& [name, mode, expected] : {std::tuple{"a.txt", 600, 0600u},
                                               {"a.txt", 0, 0u},
                                               {"sub", 711, 0711u},
                                               {"sub/inner", 700, 0700u},
                                               {"b.txt", 44, 044u}}) {
        SCOPED_TRACE(name + std::string(" ") + std::to_string(mode));
        EXPECT_TRUE(ftp->Chmod("/" + std::string(name), mode));
        EXPECT_EQ(static_cast<unsigned>(fs::status(server->root / name).permissions()) & 07777,
                  expected);
    }
    EXPECT_NE(console().find("[12:00:00] Command:> SITE chmod 0 /a.txt\n"), std::string::npos);
    EXPECT_TRUE(boxes().empty());

    screen.script().answerNext(MessageButton::Cancel);
    EXPECT_TRUE(ftp->Chmod("/missing", 644));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes().back(), "OperationNotAllowed\n\nSITE chmod 644 /missing");
    EXPECT_EQ(ftp->ChmodAnswer, 2) << "Cancel stops the batch";
}

} // namespace
