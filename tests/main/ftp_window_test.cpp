// The FTP client driven through the window: the connection bar, the remote panel's keys and
// commands, the password dialog, the saved sites and the console.
#include "ftp_window_fixture.h"
#include "local/local_explorer.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/password_dialog.h"
#include "window_harness.h"

#include "support/file_content.h"
#include "support/skip_or_fail.h"
#include "test_servers.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvo::ftp::test::TestServer;

TEST_F(FtpWindowTest, ADisconnectDuringASlowListingLeavesNoRemoteRowsInTheLocalPanel) {
    ASSERT_NO_FATAL_FAILURE(connectToACrawlingListing());

    click(child<QToolButton>("butConnect")); // disconnect while the listing crawls in
    EXPECT_EQ(window->engine().session().FtpPanel, 0);
    ASSERT_TRUE(pumpUntil([this] {
        return window->engine().remoteCommands().idle() &&
               !window->engine().session().connected() && left().model().rowCount() == 2;
    }));
    landPosted(); // anything the worker still had on its way
    EXPECT_FALSE(left().model().remote());
    EXPECT_EQ(left().model().nameCell(1), "local.txt");
    EXPECT_EQ(
        (QStringList{child<QLabel>("Label1")->text(),
                     window->findChild<QToolButton*>("butConnect")->text(), window->windowTitle()}),
        (QStringList{QString::fromStdString(home.path()), QString::fromStdString(tr("Connect")),
                     "Tarvo Manager"}));
    EXPECT_TRUE(child<QComboBox>("ComboBox4")->isVisibleTo(window.get()));
    EXPECT_TRUE(messages->shown().empty()) << lastBox();
}

TEST_F(FtpWindowTest, ClosingDuringASlowListingKeepsTheLocalFolderInTheSettings) {
    window->engine().leftExplorer().SetSortKey("name 1-0");
    ASSERT_NO_FATAL_FAILURE(connectToACrawlingListing());
    click(child<QToolButton>("SpeedButton15")); // the session's sort, by size

    window->close(); // the listing would take minutes: the close does not wait for it
    const std::string settings = readFile(program.at("TarvoManager.xml"));
    EXPECT_NE(settings.find(">" + home.path() + "</LeftTabDir>"), std::string::npos) << settings;
    EXPECT_NE(settings.find(">size 1-0</SortTypeLeft>"), std::string::npos);
    EXPECT_FALSE(window->engine().session().connected() &&
                 window->engine().session().FtpPanel != 0);
}

TEST_F(FtpWindowTest, ThePasswordDialogConnectsOnlyWhenTheWorkerIsIdle) {
    window->show();
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    std::atomic<bool> release{false};
    holdUntil<cmd::RefreshPanels>(window->engine().remoteWorker(), release);
    std::atomic<bool> connectPosted{false};
    cmd::Connect posted;
    window->engine().remoteWorker().on<cmd::Connect>([&](const cmd::Connect& command) {
        posted = command;
        connectPosted = true;
    });
    fill({"site", "127.0.0.1", "", "ann"});
    click(child<QToolButton>("butConnect"));
    QPointer<TPasswordDlg> dialog = window->findChild<TPasswordDlg*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(connectPosted);

    ASSERT_NE(window->engine().remoteCommands().post(cmd::RefreshPanels{}), PostResult::Refused);
    typeInto(dialog->Password, "secret");
    click(dialog->OKBtn);
    EXPECT_TRUE(dialog->isVisible()) << "a command runs: the dialog stays";
    EXPECT_TRUE(edit("eUserPasswd")->text().isEmpty());

    release = true;
    ASSERT_TRUE(pumpUntil([this] { return window->engine().remoteCommands().idle(); }));
    click(dialog->OKBtn);
    ASSERT_TRUE(pumpUntil([&] { return connectPosted.load(); }));
    EXPECT_EQ(posted.fields.User + ":" + posted.fields.Password, "ann:secret");
    EXPECT_EQ(edit("eUserPasswd")->text(), "secret");
    EXPECT_TRUE(pumpUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    })) << "a closed dialog goes";
}

TEST_F(FtpWindowTest, AConsoleThatCannotBeSavedIsKept) {
    window->appendConsole("[12:00:00] Command:> LIST");
    window->appendConsole("150 Here it comes.\n226 Done.");
    auto* memo = child<QPlainTextEdit>("Memo1");
    ASSERT_TRUE(pumpUntil([&] { return memo->blockCount() == 3; }));

    window->setLogFileChooser([this] { return QString::fromStdString(program.at("no/such/log")); });
    trigger("Filtry1");
    EXPECT_EQ(
        lastBox().rfind(tr("OperationNotAllowed") + "\n\n" + program.at("no/such/log") + "\n", 0),
        0u)
        << lastBox();
    EXPECT_EQ(memo->blockCount(), 3);

    window->setLogFileChooser([this] { return QString::fromStdString(program.at("log.txt")); });
    trigger("Filtry1");
    EXPECT_EQ(readFile(program.at("log.txt")),
              "[12:00:00] Command:> LIST\r\n150 Here it comes.\r\n226 Done.\r\n");
    trigger("Czyoknokonsoli1");
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(FtpWindowTest, SitesAreSavedLoadedAndDeletedByTheirName) {
    window->show();
    auto* sites = child<QComboBox>("ComboBox1");
    const QStringList work{"work", "ftp.example.org", "2121", "ann", "pw"};
    fill(work);
    messages->answerNext(MessageButton::Yes);
    click(child<QToolButton>("SpeedButton1"));
    EXPECT_EQ(items(sites), (QStringList{"alpha", "beta", "work"}));
    EXPECT_EQ(readFile(program.at("config/lista.txt")), "alpha\r\nbeta\r\nwork\r\n");
    EXPECT_EQ(readFile(program.at("config/work")).size(), 1352u);

    fill({"", "", "2121", "", ""});
    typeInto(sites, "zed"); // no record of that name: nothing changes
    EXPECT_EQ(bar().mid(1), (QStringList{"", "2121", "", ""}));
    typeInto(sites, "work");
    EXPECT_EQ(bar().mid(1), work.mid(1));

    // What the record cannot hold is refused, and nothing is written.
    typeInto(edit("Edit2"), "a/b");
    click(child<QToolButton>("SpeedButton1"));
    EXPECT_EQ(lastBox(), tr("OperationNotAllowed") + "\n\na/b");
    EXPECT_EQ(sites->count(), 3);

    // A save that cannot reach the disk changes neither the list nor the box.
    typeInto(edit("Edit2"), "other");
    fs::remove_all(program.at("config"));
    program.write("config", "");
    messages->answerNext(MessageButton::Yes);
    click(child<QToolButton>("SpeedButton1"));
    EXPECT_NE(lastBox().find(program.at("config/other")), std::string::npos) << lastBox();
    EXPECT_EQ(sites->count(), 3);
    // A program folder without a config folder (a copy of the shipped files) gets one.
    fs::remove(program.at("config"));
    messages->answerNext(MessageButton::Yes);
    child<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(readFile(program.at("config/lista.txt")), "alpha\r\nbeta\r\nwork\r\nother\r\n");

    // Delete takes the site the name box names, whichever item the list has selected.
    sites->setCurrentIndex(0);
    typeInto(edit("Edit2"), "work");
    messages->answerNext(MessageButton::Yes);
    trigger("usu2");
    EXPECT_EQ(items(sites), (QStringList{"alpha", "beta", "other"}));
    EXPECT_EQ(readFile(program.at("config/lista.txt")), "alpha\r\nbeta\r\nother\r\n");
    EXPECT_EQ(bar()[0] + "|" + bar()[2], "|21");
}

// A user's round on vsftpd: connect, enter a folder, go back up, make, rename and delete a
// folder, sort, disconnect.
TEST_F(FtpWindowTest, BrowsingMakingRenamingAndDeletingOnAServer) {
    const auto& started = vsftpdWith(
        {{"sub/inner.txt", "inner"}, {"big.txt", std::string(3000, 'b')}, {"small.txt", "s"}});
    if (!started.server)
        SKIP_OR_FAIL(started.whyNot);
    const TestServer* server = started.server.get();
    window->engine().leftExplorer().SetSortKey("name 1-0");
    window->show();
    ASSERT_TRUE(pumpUntil([this] { return left().model().rowCount() == 2; }));

    fillBar(*server);
    messages->answerNext(MessageButton::Yes);
    click(child<QToolButton>("SpeedButton1")); // saved as "site", to come back to
    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([this] { return showsRemote(4); }));
    auto* path = child<QLabel>("Label1");
    EXPECT_EQ((QStringList{path->text(), child<QLabel>("Label8")->text(),
                           window->findChild<QToolButton*>("butConnect")->text()}),
              (QStringList{"0:/", "127.0.0.1", QString::fromStdString(tr("Disconnect"))}));
    EXPECT_EQ(left().model().nameCell(1) + " " + left().model().sizeCell(2), "[sub] 3000");
    EXPECT_FALSE(child<QComboBox>("ComboBox4")->isVisibleTo(window.get()));

    clickRow(PanelSide::Left, 1);
    press(Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([&] { return path->text() == "0:/sub" && showsRemote(2); }));
    EXPECT_EQ(left().model().nameCell(1), "inner.txt");
    clickRow(PanelSide::Left, 0);
    press(Qt::Key_Backspace);
    ASSERT_TRUE(pumpUntil([&] { return path->text() == "0:/" && showsRemote(4); }));
    EXPECT_EQ(left().model().currentRow(), 1) << "the cursor is on the folder just left";

    messages->answerTextNext("made");
    trigger("UtwKat1");
    ASSERT_TRUE(pumpUntil([this] { return showsRemote(5); }));
    EXPECT_TRUE(fs::is_directory(server->root / "made"));
    EXPECT_EQ(left().model().nameCell(left().model().currentRow()), "[made]");

    messages->answerTextNext("renamed");
    trigger("ZmNazw1");
    ASSERT_TRUE(pumpUntil([this, server] { return fs::is_directory(server->root / "renamed"); }));
    EXPECT_EQ(lastBox().substr(lastBox().rfind('\n') + 1), "made") << "no brackets";
    ASSERT_TRUE(pumpUntil([this] {
        return window->engine().remoteCommands().idle() &&
               left().model().folderRow("renamed").has_value();
    }));

    select(PanelSide::Left, "[renamed]");
    messages->answerNext(MessageButton::Yes);
    trigger("Usu1");
    ASSERT_TRUE(pumpUntil(
        [this, server] { return !fs::exists(server->root / "renamed") && showsRemote(4); }));
    EXPECT_NE(lastBox().find("\n[renamed]"), std::string::npos);

    click(child<QToolButton>("SpeedButton15")); // size, largest first
    ASSERT_TRUE(pumpUntil([this] { return left().model().nameCell(2) == "big.txt"; }));
    click(child<QToolButton>("SpeedButton15"));
    ASSERT_TRUE(pumpUntil([this] { return left().model().nameCell(2) == "small.txt"; }));

    // The mask box filters the last listing; a saved location of the site opens in the session.
    QComboBox* mask = left().widgets().maskBox;
    typeInto(mask, "s*");
    press(Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([this] { return showsRemote(3); }));
    EXPECT_EQ(left().model().nameCell(2), "small.txt");
    program.write("Favorites.dat", "/sub@site\r\n");
    window->RebuildFavoritesMenu();
    window->findChild<QMenu*>("Navigator1")->actions().back()->trigger();
    ASSERT_TRUE(pumpUntil([&] { return path->text() == "0:/sub" && showsRemote(2); }));
    const std::string history = readFile(program.at("HistoryLeft.dat"));
    EXPECT_EQ(history.rfind(home.path() + "\r\n", 0), 0u) << "the connect recorded the folder left";
    EXPECT_NE(history.find("/@site\r\n/sub@site\r\n"), std::string::npos) << history;

    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([this] {
        return !left().model().remote() && left().model().rowCount() == 2 &&
               window->engine().remoteCommands().idle();
    }));
    EXPECT_TRUE(consoleText().contains("Command:> QUIT"));
    EXPECT_EQ(window->engine().leftExplorer().GetSortKey(), "size 0-1")
        << "the panel keeps the sort";
}

TEST_F(FtpWindowTest, F5DownloadsAndUploadsAndF4SendsEverySaveBack) {
    // Each download waits a moment for the server, long enough to see the strip show it.
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "slow-retr", "1");
    fs::create_directories(server->root / "tree" / "sub");
    writeFile(server->root / "tree" / "sub" / "t.txt", "tree");
    writeFile(server->root / "doc.txt", "remote");
    // The editor saves the copy it was given at once.
    TempTree tools;
    const std::string editor = tools.write("editor.sh", "#!/bin/sh\nprintf saved > \"$1\"\n");
    ::chmod(editor.c_str(), 0755);
    window->setEditorPath(editor);
    window->engine().leftExplorer().SetSortKey("name 1-0");
    window->show();
    ASSERT_TRUE(pumpUntil([this] { return left().model().rowCount() == 2; }));
    fillBar(*server);
    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([this] { return showsRemote(3); }));

    const QString sessionTitle = window->windowTitle();
    auto* progressText = child<QLabel>("Label10");
    const QString waiting = QString(8, u' ') + QString::fromStdString(tr("WaitingForServer"));
    mark(PanelSide::Left, {"[tree]", "doc.txt"});
    press(Qt::Key_F5);
    EXPECT_TRUE(pumpUntil([&] { return progressText->text() == waiting; }));
    EXPECT_FALSE(fs::exists(home.at("tree/sub/t.txt"))); // the first file's data is yet to come
    ASSERT_TRUE(pumpUntil([this] {
        return fs::exists(home.at("doc.txt")) && fs::exists(home.at("tree/sub/t.txt")) &&
               showsRemote(3);
    }));
    // At rest once the transfers have ended, with the session's title back.
    EXPECT_TRUE(pumpUntil([&] {
        return window->windowTitle() == sessionTitle && progressText->text().trimmed().isEmpty();
    })) << window->windowTitle().toStdString()
        << "|" << progressText->text().toStdString();
    EXPECT_TRUE(sessionTitle.startsWith("Tarvo Manager [site - 127.0.0.1"))
        << sessionTitle.toStdString();
    EXPECT_EQ(readFile(home.at("doc.txt")), "remote");
    EXPECT_EQ(readFile(home.at("tree/sub/t.txt")), "tree");
    EXPECT_TRUE(left().model().markedRows().empty());

    PanelController& right = window->panel(PanelSide::Right);
    ASSERT_TRUE(pumpUntil([&] { return right.model().rowCount() == 4; })); // the new entries show
    select(PanelSide::Right, "local.txt");
    press(Qt::Key_F5);
    ASSERT_TRUE(
        pumpUntil([&] { return fs::exists(server->root / "local.txt") && showsRemote(4); }));

    select(PanelSide::Left, "doc.txt");
    press(Qt::Key_F4);
    ASSERT_TRUE(pumpUntil([&] { return readFile(server->root / "doc.txt") == "saved"; }))
        << consoleText().toStdString();
    EXPECT_TRUE(messages->shown().empty()) << lastBox();
}

// Saved remote locations from the favourites and the history: each opens its site and folder,
// or changes nothing; the commands that need a local panel follow the session.
TEST_F(FtpWindowTest, SavedRemoteLocationsOpenTheirSiteAndFolderOrChangeNothing) {
    const auto& started = vsftpdWith({{"sub/inner.txt", "inner"}, {"top.txt", "top"}});
    if (!started.server)
        SKIP_OR_FAIL(started.whyNot);
    const TestServer* server = started.server.get();
    window->show();
    ASSERT_TRUE(pumpUntil([this] { return left().model().rowCount() == 2; }));
    saveSite("other", *server);
    saveSite("site", *server);
    const std::map<std::string, bool> localStates = panelCommandStates();
    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/"); }));
    ASSERT_EQ(left().model().rowCount(), 3);

    // The session's panel offers no move, packing or drives; the local panel offers them.
    const std::map<std::string, bool> remoteStates = panelCommandStates();
    for (const char* name : {"Move1", "SpeedButton11", "Zip1", "UnZip1", "Zipview1", "Disk1"})
        EXPECT_FALSE(remoteStates.at(name)) << name;
    trigger("Aktywneokno1");
    EXPECT_FALSE(action("Move1")->isEnabled()) << "no move while a session is open";
    EXPECT_EQ(action("Zip1")->isEnabled(), localStates.at("Zip1"));
    trigger("Aktywneokno1");

    // A folder the server refuses, and a listed site whose record cannot be read.
    const std::string visited = leftHistory();
    struct Refused {
        std::string line;
        std::string box;
    };
    const Refused refused[] = {{"/missing@site", " " + tr("OperationNotAllowed")},
                               {"/sub@alpha", tr("OperationNotAllowed") + "\n\nalpha"}};
    for (const Refused& entry : refused) {
        const std::size_t before = messages->shown().size();
        openFavorite(entry.line);
        ASSERT_TRUE(pumpUntil([&] { return messages->shown().size() > before && idle(); }))
            << entry.line;
        EXPECT_EQ(lastBox(), entry.box);
        EXPECT_TRUE(showsRemoteFolder("/")) << entry.line;
        EXPECT_EQ(left().model().rowCount(), 3) << entry.line;
        EXPECT_EQ(leftHistory(), visited) << entry.line;
        EXPECT_EQ(edit("Edit2")->text(), "site");
    }

    openFavorite("/sub@site");
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/sub"); }));
    EXPECT_EQ(left().model().nameCell(1), "inner.txt");
    EXPECT_EQ(leftHistory(), home.path() + "\r\n/sub@site\r\n");
    click(left().widgets().historyButton);
    auto* visits = child<QMenu>("MenuHistoryLeft");
    ASSERT_TRUE(pumpUntil([&] { return visits->isVisible(); }));
    ASSERT_EQ(visits->actions().size(), 2);
    EXPECT_EQ(visits->actions()[1]->text(), "ftp://127.0.0.1/sub");
    EXPECT_EQ(visits->actions()[1], visits->defaultAction()) << "the session's folder";
    visits->hide();
    program.write("Favorites.dat", "");
    trigger("AddtoFavorites1");
    EXPECT_EQ(readFile(program.at("Favorites.dat")), "/sub@site\r\n");
    EXPECT_EQ(child<QMenu>("Navigator1")->actions().back()->text(), "sub@site");

    // Back leaves the session for the local folder, with every command as before; Forward
    // connects again, into the folder of the entry.
    trigger("Back1");
    ASSERT_TRUE(pumpUntil([this] {
        return !left().model().remote() && pathLabel().toStdString() == home.path() && idle();
    }));
    EXPECT_EQ(panelCommandStates(), localStates);
    trigger("Forward1");
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/sub"); }));

    // Another site's entry ends this session and opens that site's, in its folder.
    openFavorite("/@other");
    ASSERT_TRUE(pumpUntil([this] {
        return edit("Edit2")->text() == "other" && showsRemoteFolder("/") &&
               left().model().rowCount() == 3;
    }));
    EXPECT_TRUE(consoleText().contains("Command:> QUIT"));
    EXPECT_EQ(window->windowTitle().left(28), "Tarvo Manager [other - 127.0");

    // A special folder takes the panel back from the session.
    home.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/papers\"\n");
    home.dir("papers");
    trigger("MyDocuments1");
    ASSERT_TRUE(showing(PanelSide::Left, home.at("papers"), 1));
    EXPECT_FALSE(left().model().remote());
    EXPECT_EQ(window->engine().session().FtpPanel, 0);
}

TEST_F(FtpWindowTest, TheStripShowsTheWaitForTheServerUntilTheSessionEnds) {
    ASSERT_NO_FATAL_FAILURE(connectToACrawlingListing());
    const QString waiting = QString(8, u' ') + QString::fromStdString(tr("WaitingForServer"));
    auto* progressText = child<QLabel>("Label10");
    ASSERT_TRUE(pumpUntil([&] { return progressText->text() == waiting; }));
    EXPECT_EQ(window->serverWaitState(), 1);
    EXPECT_TRUE(child<QTimer>("Timer2")->isActive());

    click(child<QToolButton>("butConnect")); // disconnect while the listing crawls in
    ASSERT_TRUE(pumpUntil([this] { return idle() && !window->engine().session().connected(); }));
    landPosted(); // what the worker still posted
    EXPECT_NE(progressText->text(), waiting);
    EXPECT_NE(window->serverWaitState(), 1);
    EXPECT_FALSE(child<QTimer>("Timer2")->isActive());
}

} // namespace
