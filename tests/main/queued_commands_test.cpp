// Commands given while a worker is still busy, through the user's keys: each acts on the rows the
// user saw and confirmed, in the folder and connection they were listed from, or on nothing with
// a word on the status line; and what the status line says of a refusal goes once nothing waits.
#include "ftp_window_fixture.h"
#include "main/qt_message_service.h"
#include "main/zip_view_dialog.h"
#include "window_harness.h"

#include "support/file_content.h"
#include "support/zip_archives.h"
#include "test_servers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

QString statusLine(WindowHarness& harness) {
    return harness.child<QLabel>("Label18")->text();
}

// A listing of the root that takes a few seconds to arrive, and quick listings of the folder /d.
class SlowListingTest : public FtpWindowTest {
protected:
    void startServer() {
        std::string root;
        for (int i = 0; i < 120; ++i)
            root += "-rw-r--r-- 1 o g 4 Jan 1 2001 root" + std::to_string(i) + ".txt\r\n";
        writeFile(canned.at("default"), root + "-rw-r--r-- 1 o g 4 Jan 1 2001 same.txt\r\n");
        writeFile(canned.at("d"), "-rw-r--r-- 1 o g 4 Jan 1 2001 same.txt\r\n"
                                  "-rw-r--r-- 1 o g 4 Jan 1 2001 d_only.txt\r\n");
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", "canned", canned.path(), 2048);
        fs::create_directory(server->root / "d");
        server->putFile("same.txt", "root");
        server->putFile("d/same.txt", "in d");
        server->putFile("d/d_only.txt", "in d");
    }
    // Connects the left panel by the connect button, starting in that folder.
    void connectInto(const std::string& folder) {
        ASSERT_TRUE(activate());
        fillBar(*server);
        window->engine().sites().setStartDir(folder);
        click(child<QToolButton>("butConnect"));
    }
    std::string received() { return readFile(canned.at("received")); }
    bool listingsSent(std::size_t count) {
        std::size_t found = 0;
        for (std::size_t at = received().find("LIST"); at != std::string::npos;
             at = received().find("LIST", at + 1))
            ++found;
        return found >= count;
    }

    std::unique_ptr<TestServer> server;
};

// The panel shows /d while the listing of the folder above crawls in: what the user marks and
// confirms there is what the server is told, by the path of /d.
TEST_F(SlowListingTest, CommandsGivenOnRowsOfAFolderBeingLeftActOnThatFolder) {
    startServer();
    ASSERT_NO_FATAL_FAILURE(connectInto("/d"));
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/d"); }));
    ASSERT_EQ(left().model().rowCount(), 3);

    select(PanelSide::Left, "d_only.txt");
    press(Qt::Key_Backspace);
    ASSERT_TRUE(pumpUntil([this] { return listingsSent(2); })) << received();
    ASSERT_EQ(pathLabel(), "0:/d") << "the rows of /d still show";
    select(PanelSide::Left, "same.txt");
    messages->answerNext(MessageButton::Yes);
    press(Qt::Key_F8);
    ASSERT_TRUE(pumpUntil([this] { return received().find("DELE") != std::string::npos && idle(); },
                          std::chrono::seconds(60)));
    EXPECT_NE(received().find("DELE /d/same.txt"), std::string::npos) << received();
    EXPECT_FALSE(fs::exists(server->root / "d" / "same.txt"));
    EXPECT_EQ(readFile(server->root / "same.txt"), "root") << "the folder above keeps its file";
}

// A local row confirmed for deletion while a connect takes the panel over is neither deleted on
// the server nor locally: the command's folder is gone from the panel, and the status line says so.
TEST_F(SlowListingTest, ALocalRowConfirmedWhileAConnectTakesThePanelIsDeletedNowhere) {
    startServer();
    home.file("same.txt");
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(connectInto("/"));
    ASSERT_TRUE(pumpUntil([this] { return listingsSent(1); }));
    ASSERT_FALSE(left().model().remote()) << "the local rows still show";
    select(PanelSide::Left, "same.txt");
    messages->answerNext(MessageButton::Yes);
    press(Qt::Key_F8);
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/"); }, std::chrono::seconds(60)));
    landPosted();
    EXPECT_EQ(received().find("DELE"), std::string::npos) << received();
    EXPECT_TRUE(fs::exists(home.at("same.txt")));
    EXPECT_TRUE(fs::exists(server->root / "same.txt"));
    EXPECT_TRUE(statusLine(*this).startsWith("Not done")) << statusLine(*this).toStdString();
}

// A worker question the close cancels is the last the worker does on the server.
TEST_F(SlowListingTest, AQuestionCancelledByTheCloseEndsTheWorkersTalkWithTheServer) {
    startServer();
    window.reset();
    window = std::make_unique<TForm1>([](UiBridge& bridge, QWidget* owner) {
        return std::make_unique<QtMessageService>(bridge, owner);
    });
    window->FormCreate();
    ASSERT_NO_FATAL_FAILURE(connectInto("/d"));
    ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/d"); }));
    fs::remove(server->root / "d" / "d_only.txt"); // its DELE is refused
    select(PanelSide::Left, "d_only.txt");
    const auto shownBox = [](const std::string& text) -> QMessageBox* {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top);
                box && box->isVisible() && box->text().contains(QString::fromStdString(text)))
                return box;
        return nullptr;
    };
    // The confirmation runs its own loop: Yes is clicked from within it.
    QTimer confirm;
    QObject::connect(&confirm, &QTimer::timeout, [&] {
        if (QMessageBox* box = shownBox(tr("DoYouWontDeleteFile")))
            box->button(QMessageBox::Yes)->click();
    });
    confirm.start(20);
    press(Qt::Key_F8);
    ASSERT_TRUE(pumpUntil([&] { return shownBox(tr("CouldNotDeleteFile")) != nullptr; }));
    const std::size_t before = received().size();

    window->close();
    landPosted();
    EXPECT_EQ(received().substr(before), "") << "nothing after the cancelled question";
}

// Enter on a folder row opens that row's folder, also when it waits behind another Enter.
TEST_F(FtpWindowTest, AQueuedEnterOpensTheRowItWasGivenOn) {
    home.dir("big");
    home.dir("sub_a");
    home.dir("big/sub_a");
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    std::atomic<bool> release{false};
    holdUntil<cmd::RefreshPanels>(window->engine().remoteWorker(), release);
    ASSERT_TRUE(postWhenTaken(window->engine().remoteCommands(), cmd::RefreshPanels{}));
    select(PanelSide::Left, "[big]");
    press(Qt::Key_Return);
    select(PanelSide::Left, "[sub_a]");
    press(Qt::Key_Return);
    release = true;
    ASSERT_TRUE(showing(PanelSide::Left, home.at("sub_a")));
}

// Commands the worker cannot take say so on the status line, which is cleared once nothing waits;
// so do commands given while a job holds the panels, by key or by a click on a panel.
TEST_F(FtpWindowTest, ARefusedCommandIsNamedOnTheStatusLineUntilNothingWaits) {
    home.dir("a");
    home.dir("a/b");
    home.file("a/b/f.txt");
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    select(PanelSide::Left, "[a]");
    press(Qt::Key_Return);
    ASSERT_TRUE(showing(PanelSide::Left, home.at("a")));

    std::atomic<bool> release{false};
    holdUntil<cmd::LocalTree>(window->engine().localWorker(), release);
    trigger("DrzewoLokalne1");
    for (std::size_t i = 0; i <= Mailbox::kMaxWaiting; ++i)
        press(Qt::Key_Backspace);
    EXPECT_EQ(statusLine(*this).toStdString(),
              "Busy: earlier commands are still waiting; this one was not taken");
    release = true;
    ASSERT_TRUE(pumpUntil([this] { return idle() && statusLine(*this).trimmed().isEmpty(); },
                          std::chrono::seconds(20)));
    EXPECT_EQ(path(PanelSide::Left), "/") << "every Backspace taken ran, in order";

    ASSERT_TRUE(showing(PanelSide::Right, home.path()));
    release = false;
    window->engine().localWorker().on<cmd::LocalCopy>([&](const cmd::LocalCopy& command) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        window->jobEnded(command.work.job, 2);
    });
    select(PanelSide::Right, "local.txt");
    press(Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([this] { return !child<QWidget>("Panel2")->isEnabled(); }));
    const QString busy = "Busy: the running job must end first";
    window->findChild<QAction*>("UtwKat1")->trigger(); // F7, wherever the focus went
    EXPECT_EQ(statusLine(*this), busy);
    child<QLabel>("Label18")->clear();
    click(right().widgets().sizeButton);
    EXPECT_EQ(statusLine(*this), busy) << "a header click on the waiting panel";
    release = true;
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
}

} // namespace
