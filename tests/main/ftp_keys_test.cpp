// The FTP panel, its session and its dialogs as keys and clicks drive them: the grid keeps the
// focus through remote listings, Back and Forward walk the remote history, the site box loads
// what it names, captions follow the session, failed or partial transfers say what happened,
// a dialog's boxes give the focus back to it, Esc closes the command window, and Properties
// show the listing's reply in the editor.
#include "ftp_window_fixture.h"
#include "main/command_dialog.h"
#include "main/language_dialog.h"
#include "main/qt_message_service.h"
#include "main/site_settings_dialog.h"
#include "platform/ftp/ftp_error.h"
#include "window_harness.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using tarvo::ftp::test::TestServer;

class FtpKeysTest : public FtpWindowTest {
protected:
    // A server whose root holds the folders many and pub.
    void startServer(const std::string& mode = "normal", const std::string& argument = "",
                     int throttle = 0) {
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", mode, argument, throttle);
        fs::create_directory(server->root / "many");
        fs::create_directory(server->root / "pub");
        server->putFile("pub/inner.txt", "inner");
    }
    // Shows the window as the active one and connects the left panel by the connect button,
    // then gives the grid the focus with a click on its first row.
    void connectLeft(const QString& site = "site") {
        window->engine().leftExplorer().SetSortKey("name 1-0");
        ASSERT_TRUE(activate());
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
        fillBar(*server, site);
        QTest::mouseClick(window->findChild<QToolButton*>("butConnect"), Qt::LeftButton);
        ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/"); }));
        clickRow(PanelSide::Left, 0);
        ASSERT_EQ(focused(), &left().grid());
    }
    // Enter on the row of that name, and the panel shows the folder.
    void enter(const std::string& row, const QString& folder) {
        select(PanelSide::Left, row);
        press(Qt::Key_Return);
        ASSERT_TRUE(pumpUntil([&] { return showsRemoteFolder(folder); }));
    }

    std::unique_ptr<TestServer> server;
};

// The grid keeps the focus through remote listings; Back and Forward walk the recorded folders
// of the session and record nothing, whether its site was saved or not.
TEST_F(FtpKeysTest, TheGridKeepsTheFocusAndBackAndForwardWalkTheRemoteHistoryWithoutRecording) {
    startServer();
    for (const bool saved : {false, true}) {
        SCOPED_TRACE(saved ? "saved site" : "site never saved");
        program.write("HistoryLeft.dat", "");
        create();
        if (saved)
            saveSite("site1", *server);
        ASSERT_NO_FATAL_FAILURE(connectLeft("site1"));
        ASSERT_NO_FATAL_FAILURE(enter("[many]", "/many"));
        press(Qt::Key_Backspace);
        ASSERT_TRUE(pumpUntil([this] { return showsRemoteFolder("/"); }));
        EXPECT_EQ(currentName(PanelSide::Left), "[many]");
        ASSERT_NO_FATAL_FAILURE(enter("[pub]", "/pub"));
        EXPECT_EQ(focused(), &left().grid());
        press(Qt::Key_Down);
        EXPECT_EQ(currentName(PanelSide::Left), "inner.txt");
        const std::string visited = leftHistory();
        const std::size_t boxes = messages->shown().size();
        EXPECT_NE(visited.find("/many@site1\r\n/@site1\r\n/pub@site1\r\n"), std::string::npos)
            << visited;
        // A name typed into the bar meanwhile (to save the site under it) renames no session.
        QTest::mouseClick(edit("Edit2"), Qt::LeftButton);
        typeText("2");
        clickRow(PanelSide::Left, 0);

        const std::pair<Qt::Key, QString> steps[] = {{Qt::Key_Left, "/"},
                                                     {Qt::Key_Left, "/many"},
                                                     {Qt::Key_Right, "/"},
                                                     {Qt::Key_Right, "/pub"}};
        for (const auto& [key, folder] : steps) {
            press(key, Qt::AltModifier);
            ASSERT_TRUE(pumpUntil([&] { return showsRemoteFolder(folder); }))
                << folder.toStdString() << " | " << pathLabel().toStdString();
            EXPECT_EQ(focused(), &left().grid());
        }
        EXPECT_EQ(leftHistory(), visited);
        EXPECT_EQ(messages->shown().size(), boxes) << lastBox();
    }
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), &right().grid()) << "Tab goes to the other panel";
}

// After a restart the site box names no site until one is chosen; choosing one, also the one
// it shows, loads it, and Enter in the box connects to it.
TEST_F(FtpKeysTest, TheSiteBoxAndTheBarAgreeAfterARestart) {
    startServer();
    program.write("config/lista.txt", "");
    create();
    saveSite("first", *server);
    saveSite("second", *server);
    create(); // the next run
    auto* sites = child<QComboBox>("ComboBox1");
    EXPECT_EQ(sites->currentText(), "");
    EXPECT_EQ(sites->lineEdit()->placeholderText().toStdString(), tr("FTPConnect"));
    EXPECT_EQ(bar().join('|'), "||21||");

    ASSERT_TRUE(activate());
    QTest::mouseClick(sites->lineEdit(), Qt::LeftButton);
    ASSERT_EQ(focused(), sites);
    press(Qt::Key_Down);
    const QString first = "first|127.0.0.1|" + QString::number(server->process->port()) + "|" +
                          QString::fromStdString(server->user + "|" + server->password);
    EXPECT_EQ(bar().join('|'), first);

    // Chosen again from its list, the site shown is loaded again.
    edit("eSrvName")->setText("typed.example.org");
    press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(pumpUntil([&] { return sites->view()->isVisible(); }));
    press(Qt::Key_Return);
    EXPECT_EQ(bar().join('|'), first);

    press(Qt::Key_Return);
    EXPECT_TRUE(pumpUntil([this] { return showsRemoteFolder("/"); }));
}

// A language applied while connected: the connect button still says what a click does.
TEST_F(FtpKeysTest, TheConnectButtonFollowsTheSessionAfterALanguageChange) {
    program.write("lang/Zzz.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language Native=\"Testish\" "
                  "Code=\"tt\" Author=\"Ann\" Version=\"2\"><Strings><String "
                  "Name=\"Connect\">Verbinden</String><String "
                  "Name=\"Disconnect\">Trennen</String></Strings></Language>\n");
    startServer();
    ASSERT_NO_FATAL_FAILURE(connectLeft());

    trigger("Jzyk1");
    auto* languages =
        window->findChildren<TOKRightDlg12*>().back()->findChild<QListWidget*>("ListBox1");
    ASSERT_NE(languages, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == languages->window(); }));
    for (int tab = 0; tab < 10 && focused() != languages; ++tab)
        press(Qt::Key_Tab);
    ASSERT_EQ(focused(), languages);
    press(Qt::Key_End);
    ASSERT_EQ(languages->currentItem()->text(), "Zzz.xml");
    press(Qt::Key_Return);
    EXPECT_EQ(window->findChild<QToolButton*>("butConnect")->text(), "Trennen");
}

// A download that breaks off when the server goes names the file and what ended the
// connection, under the program's title.
TEST_F(FtpKeysTest, AFailedDownloadSaysWhy) {
    startServer("normal", "", 100000);
    server->putFile("big.bin", std::string(2'000'000, 'b'));
    ASSERT_NO_FATAL_FAILURE(connectLeft());
    select(PanelSide::Left, "big.bin");
    press(Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([this] {
        std::error_code error;
        return fs::file_size(home.at("big.bin.part"), error) > 0 && !error;
    }));
    messages->answerNext(MessageButton::Ok);
    messages->answerNext(MessageButton::No); // no reconnect
    server->process.reset();                 // killed

    ASSERT_TRUE(pumpUntil([&] { return messages->shown().size() == 2 && idle(); })) << lastBox();
    const MessageRequest failure = messages->shown().front();
    EXPECT_EQ(failure.title, "Tarvo Manager");
    EXPECT_EQ(failure.text, tr("FileTransferFaild") + "\n\n/big.bin\n" +
                                tarvo::ftp::errorText(tarvo::ftp::FtpError::ControlClosed));
}

// An upload leaves links to folders out, at the top and in the tree, names them all in one box
// and unmarks them with the rest.
TEST_F(FtpKeysTest, AnUploadNamesTheLinksItLeavesOut) {
    startServer();
    home.write("tree/sub/a.txt", "a");
    fs::create_directory_symlink(home.at("tree"), home.at("tree/loop"));
    fs::create_directory_symlink(home.at("tree"), home.at("dirlink"));
    ASSERT_NO_FATAL_FAILURE(connectLeft());
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), &right().grid());
    ASSERT_TRUE(pumpUntil([this] { return rowOf(PanelSide::Right, "[dirlink]").has_value(); }));
    select(PanelSide::Right, "[dirlink]");
    press(Qt::Key_Insert);
    ASSERT_EQ(currentName(PanelSide::Right), "[tree]");
    press(Qt::Key_Insert);

    press(Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([this] { return idle() && rowOf(PanelSide::Left, "[tree]"); }));
    EXPECT_EQ(readFile(server->root / "tree/sub/a.txt"), "a");
    EXPECT_FALSE(fs::exists(server->root / "dirlink"));
    EXPECT_FALSE(fs::exists(server->root / "tree/loop"));
    EXPECT_EQ(lastBox(), tr("OperationNotAllowed") + "\n\n" + home.at("dirlink") + "\n" +
                             home.at("tree/loop"));
    EXPECT_TRUE(right().model().markedRows().empty());
}

// A box a dialog raises is that dialog's: closed, it gives the keyboard back to the dialog, not
// to the main window, where the next Enter would connect.
TEST_F(FtpKeysTest, ABoxRaisedByADialogGivesTheFocusBackToIt) {
    window = std::make_unique<TForm1>([](UiBridge& bridge, QWidget* owner) {
        return std::make_unique<QtMessageService>(bridge, owner);
    });
    messages = nullptr;
    window->FormCreate();
    window->setLogFileChooser([this] { return QString::fromStdString(program.at("no/such/log")); });
    ASSERT_TRUE(activate());

    // Each opens its dialog and clicks where a box comes up: Enter in the keep-alive interval
    // applies settings without a host, Save As writes where it cannot.
    struct Case {
        const char* command;
        std::function<QWidget*(QDialog*)> target;
    };
    const Case cases[] = {
        {"noweedycja1",
         [](QDialog* dialog) -> QWidget* { return static_cast<TOKRightDlg2*>(dialog)->TimeNOOP; }},
        {"FTPCommand1",
         [](QDialog* dialog) -> QWidget* {
             return static_cast<TOKRightDlg12345*>(dialog)->SpeedButton2;
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.command);
        trigger(test.command);
        QDialog* dialog = nullptr;
        ASSERT_TRUE(pumpUntil([&] {
            dialog = qobject_cast<QDialog*>(QApplication::activeWindow());
            return dialog != nullptr;
        }));
        // Enter closes the box once it has the focus; a box that never gets it is closed after
        // a while, so that the test fails rather than waits.
        QWidget* boxOwner = nullptr;
        int ticks = 0;
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            boxOwner = box->parentWidget();
            if (focused() && focused()->window() == box)
                press(Qt::Key_Return);
            else if (++ticks > 500)
                box->reject();
        });
        closer.start();
        QWidget* target = test.target(dialog);
        QTest::mouseClick(target, Qt::LeftButton);
        if (qobject_cast<QLineEdit*>(target))
            press(Qt::Key_Return);
        ASSERT_TRUE(pumpUntil([&] { return boxOwner != nullptr; }));
        EXPECT_EQ(boxOwner, dialog);
        EXPECT_TRUE(pumpUntil([&] { return focused() && focused()->window() == dialog; }));
        dialog->close();
    }
}

// Esc closes the command window wherever its focus is.
TEST_F(FtpKeysTest, EscClosesTheCommandWindowFromAnyOfItsControls) {
    ASSERT_TRUE(activate());
    struct Case {
        const char* where;
        std::function<void(TOKRightDlg12345*)> go;
    };
    const Case cases[] = {
        {"command box", [](TOKRightDlg12345*) {}},
        {"Execute", [](TOKRightDlg12345*) { press(Qt::Key_Tab); }},
        {"log",
         [](TOKRightDlg12345* dialog) {
             QTest::mouseClick(dialog->Memo1->viewport(), Qt::LeftButton, {}, {5, 5});
         }},
        {"menu key", [](TOKRightDlg12345*) { press(Qt::Key_T, Qt::AltModifier); }},
        {"menu bar",
         [](TOKRightDlg12345*) {
             press(Qt::Key_Alt);
             press(Qt::Key_Right);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.where);
        trigger("FTPCommand1");
        const QPointer dialog = window->findChildren<TOKRightDlg12345*>().back();
        ASSERT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == dialog; }));
        dialog->appendLog("one two\nthree\n");
        test.go(dialog);
        press(Qt::Key_Escape);
        EXPECT_TRUE(pumpUntil([&] { return !dialog || !dialog->isVisible(); }));
        if (dialog)
            dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Properties on the FTP panel show the last listing's reply in the text editor, which needs no
// file manager; on a local panel they wait for one.
TEST_F(FtpKeysTest, PropertiesOnTheFtpPanelOpenTheListingInTheEditorWithoutAFileManager) {
    startServer();
    // The only program on PATH is a text editor that logs what it opens.
    TempTree bin;
    writeFile(bin.at("gedit"), "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + bin.at("log") + "'\n");
    ::chmod(bin.at("gedit").c_str(), 0755);
    struct PathGuard {
        std::string saved = std::getenv("PATH");
        ~PathGuard() { setenv("PATH", saved.c_str(), 1); }
    } pathGuard;
    setenv("PATH", bin.path().c_str(), 1);
    create();
    ASSERT_NO_FATAL_FAILURE(connectLeft());
    QAction* properties = action("waciwoci1");
    auto* button = child<QToolButton>("SpeedButton35");
    EXPECT_TRUE(properties->isEnabled() && button->isEnabled());

    const std::string temp = program.at("temp") + "\n";
    const auto opened = [&](const std::string& log) {
        return pumpUntil(
            [&] { return fs::exists(bin.at("log")) && readFile(bin.at("log")) == log; });
    };
    press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(opened(temp)) << "Alt+Enter";
    click(button);
    EXPECT_TRUE(opened(temp + temp)) << "the toolbar button";
    EXPECT_NE(readFile(program.at("temp")).find("pub"), std::string::npos) << "the root's reply";

    press(Qt::Key_Tab); // the local panel: its properties need a file manager
    ASSERT_EQ(focused(), &right().grid());
    EXPECT_EQ(properties->isEnabled(), window->desktopTools().propertiesAvailable());
    EXPECT_EQ(button->isEnabled(), properties->isEnabled());
}

} // namespace
