// Navigation with the FTP session: saved remote locations from the favourites and the history,
// the commands that follow the session's panel, and the status strip while the server is
// waited for.
#include "main/window_harness.h"

#include "support/file_content.h"
#include "test_servers.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <pwd.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvo::ftp::test::TestServer;

// A listing or a login under the thread checker takes a while.
template <class Condition> bool waitFor(Condition condition) {
    return pumpUntil(condition, 20s);
}

// The commands that depend on the active panel and the session.
const char* const kPanelCommands[] = {"Move1",    "Zapiszjako1", "Zip1",  "UnZip1",
                                      "Zipview1", "Disk1",       "Print1"};

class FtpNavigationTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        program.write("config/lista.txt", "alpha\r\n"); // listed, but without a record
        home.file("local.txt");
        ASSERT_TRUE(open());
    }

    template <class Widget> Widget* child(const char* name) {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(name); }
    PanelController& left() { return panel(PanelSide::Left); }
    QString pathLabel() { return left().widgets().pathLabel->text(); }
    std::size_t boxes() { return messages->shown().size(); }
    std::string history() { return readFile(program.at("HistoryLeft.dat")); }

    // Saves the server as a site of that name, as the user does with the bar's save button.
    void saveSite(const std::string& name, const TestServer& server) {
        edit("Edit2")->setText(QString::fromStdString(name));
        edit("eSrvName")->setText(QString::fromStdString(server.host));
        edit("eSrvPort")->setText(QString::number(server.process->port()));
        edit("eUserName")->setText(QString::fromStdString(server.user));
        edit("eUserPasswd")->setText(QString::fromStdString(server.password));
        messages->answerNext(MessageButton::Yes);
        child<QToolButton>("SpeedButton1")->click();
    }

    // Opens a line as its favourites item does.
    void openFavorite(const std::string& line) {
        program.write("Favorites.dat", line + "\r\n");
        window->RebuildFavoritesMenu();
        child<QMenu>("Navigator1")->actions().back()->trigger();
    }

    // The left panel shows the session in the folder, and every command has ended.
    bool showsRemote(const QString& folder) {
        return left().model().remote() && pathLabel() == "0:" + folder && idle();
    }
    bool idle() {
        return window->RemoteCommand.idle() && window->Panel5->isEnabled() &&
               window->Panel2->isEnabled();
    }

    std::map<std::string, bool> panelCommandStates() {
        std::map<std::string, bool> states;
        for (const char* name : kPanelCommands)
            states[name] = child<QAction>(name)->isEnabled();
        states["SpeedButton11"] = child<QToolButton>("SpeedButton11")->isEnabled();
        return states;
    }
};

std::unique_ptr<TestServer> startServerWithFolders() {
    std::unique_ptr<TestServer> server = tarvo::ftp::test::startVsftpd("127.0.0.1");
    if (!server)
        return nullptr;
    for (const auto& entry : fs::directory_iterator(server->root))
        fs::remove_all(entry.path());
    fs::create_directories(server->root / "sub");
    writeFile(server->root / "sub" / "inner.txt", "inner");
    writeFile(server->root / "top.txt", "top");
    const passwd* user = ::getpwnam(server->user.c_str());
    for (const auto& entry : fs::recursive_directory_iterator(server->root))
        EXPECT_EQ(::lchown(entry.path().c_str(), user->pw_uid, user->pw_gid), 0);
    return server;
}

TEST_F(FtpNavigationTest, SavedRemoteLocationsOpenTheirSiteAndFolderOrChangeNothing) {
    const std::unique_ptr<TestServer> server = startServerWithFolders();
    if (!server)
        GTEST_SKIP() << "vsftpd cannot run here (needs root)";
    saveSite("other", *server);
    saveSite("site", *server);
    const std::map<std::string, bool> localStates = panelCommandStates();
    window->butConnect->click();
    ASSERT_TRUE(waitFor([this] { return showsRemote("/"); }));
    ASSERT_EQ(left().model().rowCount(), 3);

    // The session's panel offers no move, packing or drives; the local panel offers them.
    const std::map<std::string, bool> remoteStates = panelCommandStates();
    for (const char* name : {"Move1", "SpeedButton11", "Zip1", "UnZip1", "Zipview1", "Disk1"})
        EXPECT_FALSE(remoteStates.at(name)) << name;
    child<QAction>("Aktywneokno1")->trigger();
    EXPECT_FALSE(child<QAction>("Move1")->isEnabled()) << "no move while a session is open";
    EXPECT_EQ(child<QAction>("Zip1")->isEnabled(), localStates.at("Zip1"));
    child<QAction>("Aktywneokno1")->trigger();

    // Entries that must not change the panel: a folder the server refuses, and a listed site
    // whose record cannot be read.
    const std::string visited = history();
    struct Refused {
        std::string line;
        std::string box;
    };
    const Refused refused[] = {
        {"/missing@site", " " + window->Translate("OperationNotAllowed")},
        {"/sub@alpha", window->Translate("OperationNotAllowed") + "\n\nalpha"}};
    for (const Refused& entry : refused) {
        const std::size_t before = boxes();
        openFavorite(entry.line);
        ASSERT_TRUE(waitFor([&] { return boxes() > before && idle(); })) << entry.line;
        EXPECT_EQ(messages->shown().back().text, entry.box);
        EXPECT_TRUE(showsRemote("/")) << entry.line;
        EXPECT_EQ(left().model().rowCount(), 3) << entry.line;
        EXPECT_EQ(history(), visited) << entry.line;
        EXPECT_EQ(edit("Edit2")->text(), "site");
    }

    openFavorite("/sub@site");
    ASSERT_TRUE(waitFor([this] { return showsRemote("/sub"); }));
    EXPECT_EQ(left().model().nameCell(1), "inner.txt");
    EXPECT_EQ(history(), home.path() + "\r\n/sub@site\r\n");
    left().widgets().historyButton->click();
    auto* visits = child<QMenu>("MenuHistoryLeft");
    ASSERT_TRUE(waitFor([&] { return visits->isVisible(); }));
    ASSERT_EQ(visits->actions().size(), 2);
    EXPECT_EQ(visits->actions()[1]->text(), "ftp://127.0.0.1/sub");
    EXPECT_EQ(visits->actions()[1], visits->defaultAction()) << "the session's folder";
    visits->hide();
    program.write("Favorites.dat", "");
    child<QAction>("AddtoFavorites1")->trigger();
    EXPECT_EQ(readFile(program.at("Favorites.dat")), "/sub@site\r\n");
    EXPECT_EQ(child<QMenu>("Navigator1")->actions().back()->text(), "sub@site");

    // Back leaves the session for the local folder, with every command as before; Forward
    // connects again, into the folder of the entry.
    child<QAction>("Back1")->trigger();
    ASSERT_TRUE(waitFor([this] {
        return !left().model().remote() && pathLabel().toStdString() == home.path() && idle();
    }));
    EXPECT_EQ(panelCommandStates(), localStates);
    child<QAction>("Forward1")->trigger();
    ASSERT_TRUE(waitFor([this] { return showsRemote("/sub"); }));

    // Another site's entry ends this session and opens that site's, in its folder.
    openFavorite("/@other");
    ASSERT_TRUE(waitFor([this] {
        return edit("Edit2")->text() == "other" && showsRemote("/") &&
               left().model().rowCount() == 3;
    }));
    EXPECT_TRUE(child<QPlainTextEdit>("Memo1")->toPlainText().contains("Command:> QUIT"));
    EXPECT_EQ(window->windowTitle().left(28), "Tarvo Manager [other - 127.0");

    // A special folder takes the panel back from the session.
    home.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/papers\"\n");
    home.dir("papers");
    child<QAction>("MyDocuments1")->trigger();
    ASSERT_TRUE(showing(PanelSide::Left, home.at("papers"), 1));
    EXPECT_FALSE(left().model().remote());
    EXPECT_EQ(window->FtpSession->FtpPanel, 0);
}

TEST_F(FtpNavigationTest, TheStripShowsTheWaitForTheServerUntilTheSessionEnds) {
    TempTree canned;
    std::string listing;
    for (int i = 0; i < 20000; ++i)
        listing += "-rw-r--r-- 1 o g 1 Jan 1 2001 remote" + std::to_string(i) + "\r\n";
    writeFile(canned.at("default"), listing);
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "canned", canned.path(),
                                                           4096); // minutes for the listing
    saveSite("slow", *server);
    window->butConnect->click();
    auto* progressText = child<QLabel>("Label10");
    const QString waiting = QString(8, u' ') + QString::fromStdString(
                                                   window->Translate("WaitingForServer"));
    ASSERT_TRUE(waitFor([&] {
        return child<QPlainTextEdit>("Memo1")->toPlainText().contains("Command:> LIST") &&
               progressText->text() == waiting;
    }));
    EXPECT_EQ(window->ServerWaitState, 1);
    EXPECT_TRUE(child<QTimer>("Timer2")->isActive());

    window->butConnect->click(); // disconnect while the listing crawls in
    ASSERT_TRUE(waitFor([this] { return idle() && !window->FtpSession->connected(); }));
    QTest::qWait(200); // what the worker still posted lands now
    EXPECT_NE(progressText->text(), waiting);
    EXPECT_NE(window->ServerWaitState, 1);
    EXPECT_FALSE(child<QTimer>("Timer2")->isActive());
}

} // namespace
