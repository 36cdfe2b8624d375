// The FTP client's dialogs driven through the window: a site's settings, permissions of remote
// entries and the command window.
#include "ftp/site_record.h"
#include "main/chmod_dialog.h"
#include "main/command_dialog.h"
#include "main/site_settings_dialog.h"
#include "settings/language_table.h"
#include "window_harness.h"

#include "support/file_content.h"
#include "test_servers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvo::ftp::test::TestServer;

unsigned modeOf(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0xFFFFu;
}

class FtpDialogsTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        program.write("config/lista.txt", "");
        create();
    }

    QLineEdit* edit(const char* name) { return child<QLineEdit>(name); }

    // The dialog of that kind the last command opened.
    template <class Dialog> Dialog* opened() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Dialog* last = nullptr;
        for (Dialog* dialog : window->findChildren<Dialog*>()) {
            if (dialog->isVisible())
                last = dialog;
        }
        return last;
    }

    // Types the server into the connection bar and clicks Connect; true once the left panel
    // shows the listing with that many rows.
    bool connectLeft(const TestServer& server, int rows) {
        window->engine().leftExplorer().SetSortKey("name 1-0");
        window->show();
        if (!pumpUntil([this] { return idle(); }))
            return false;
        typeInto(edit("Edit2"), "site");
        typeInto(edit("eSrvName"), QString::fromStdString(server.host));
        typeInto(edit("eSrvPort"), QString::number(server.process->port()));
        typeInto(edit("eUserName"), QString::fromStdString(server.user));
        typeInto(edit("eUserPasswd"), QString::fromStdString(server.password));
        click(child<QToolButton>("butConnect"));
        return pumpUntil(
            [&] { return left().model().remote() && left().model().rowCount() == rows && idle(); });
    }
    // Holds the remote worker in a command until release is set.
    void holdWorker(const std::atomic<bool>& release) {
        holdUntil<cmd::RefreshPanels>(window->engine().remoteWorker(), release);
        ASSERT_NE(window->engine().remoteCommands().post(cmd::RefreshPanels{}),
                  PostResult::Refused);
    }
};

TEST(ChmodDialog, TheBoxesShowTheModeAndGiveTheChosenBits) {
    const LanguageTable texts;
    // Each ticked box by its caption's first letter: read, write, execute.
    const std::pair<unsigned, const char*> cases[] = {
        {0731, "rwe-we--e"}, {0, "---------"}, {0644, "rw-r--r--"}, {04755, "rwer-er-e"}};
    for (const auto& [mode, ticks] : cases) {
        SCOPED_TRACE(ticks);
        TOKRightDlg dialog(nullptr, texts, mode, [](unsigned) { return true; });
        std::string shown;
        for (int box = 1; box <= 9; ++box) {
            const auto* check = dialog.findChild<QCheckBox*>(QString("CheckBox%1").arg(box));
            shown += check->isChecked() ? check->text().front().toLatin1() : '-';
        }
        EXPECT_EQ(shown, ticks);
        EXPECT_EQ(dialog.chosenMode(), mode & 0777);
    }
}

TEST_F(FtpDialogsTest, PermissionChangesKeepEachEntrysSpecialBits) {
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "normal");
    server->putFile("plain.txt", "p");
    server->putFile("setid", "s");
    server->putFile("gone1", "g");
    server->putFile("gone2", "g");
    fs::create_directory(server->root / "sticky");
    fs::permissions(server->root / "plain.txt", fs::perms(0644));
    fs::permissions(server->root / "setid", fs::perms(04755));
    fs::permissions(server->root / "sticky", fs::perms(01777));
    ASSERT_TRUE(connectLeft(*server, 6)); // "[..]", [sticky], gone1, gone2, plain.txt, setid

    // An untouched Apply keeps the set-id and sticky bits, which have no boxes.
    select(PanelSide::Left, "[sticky]");
    press(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_NE(opened<TOKRightDlg>(), nullptr);
    click(opened<TOKRightDlg>()->SpeedButton1);
    ASSERT_TRUE(pumpUntil([&] {
        return child<QPlainTextEdit>("Memo1")->toPlainText().contains(
                   "Command:> SITE chmod 1777 /sticky") &&
               idle();
    }));
    EXPECT_EQ(modeOf(server->root / "sticky"), 01777u);

    // Two marked entries, the dialog showing the current one's 755: each keeps its own bits.
    mark(PanelSide::Left, {"[sticky]", "setid"});
    press(Qt::Key_Q, Qt::ControlModifier);
    auto* dialog = opened<TOKRightDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->chosenMode(), 0755u);
    EXPECT_EQ(window->windowSwitchKey().current(), QKeySequence(Qt::CTRL | Qt::Key_Tab));
    click(dialog->SpeedButton1);
    ASSERT_TRUE(pumpUntil([&] { return modeOf(server->root / "sticky") == 01755 && idle(); }));
    EXPECT_EQ(modeOf(server->root / "setid"), 04755u);
    EXPECT_TRUE(left().model().markedRows().empty());
    EXPECT_EQ(window->windowSwitchKey().current(), QKeySequence(Qt::Key_Tab));

    // An unticked box changes the mode on disk; while a command runs the dialog waits.
    select(PanelSide::Left, "plain.txt");
    press(Qt::Key_Q, Qt::ControlModifier);
    dialog = opened<TOKRightDlg>();
    ASSERT_NE(dialog, nullptr);
    click(dialog->findChild<QCheckBox*>("CheckBox2"));
    std::atomic<bool> release{false};
    holdWorker(release);
    click(dialog->SpeedButton1);
    EXPECT_TRUE(dialog->isVisible()) << "a command runs: nothing posted over it";
    release = true;
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));
    click(dialog->SpeedButton1);
    ASSERT_TRUE(pumpUntil([&] { return modeOf(server->root / "plain.txt") == 0444 && idle(); }));

    // A refusal's Cancel ends the batch: the second entry is not tried.
    fs::remove(server->root / "gone1");
    fs::remove(server->root / "gone2");
    mark(PanelSide::Left, {"gone2", "gone1"});
    press(Qt::Key_Q, Qt::ControlModifier);
    const std::size_t boxes = messages->shown().size();
    messages->answerNext(MessageButton::Cancel);
    ASSERT_NE(opened<TOKRightDlg>(), nullptr);
    click(opened<TOKRightDlg>()->SpeedButton1);
    ASSERT_TRUE(pumpUntil([&] { return messages->shown().size() > boxes && idle(); }));
    EXPECT_EQ(messages->shown().size(), boxes + 1);
    EXPECT_EQ(lastBox(), window->Translate("OperationNotAllowed") + "\n\nSITE chmod 644 /gone1");

    // Without a connection Apply only closes the dialog.
    press(Qt::Key_Q, Qt::ControlModifier);
    dialog = opened<TOKRightDlg>();
    ASSERT_NE(dialog, nullptr);
    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([&] { return !left().model().remote() && idle(); }));
    click(dialog->SpeedButton1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(window->engine().remoteCommands().idle());
}

TEST_F(FtpDialogsTest, SiteSettingsApplyToTheBarTheProfileAndTheRecord) {
    const auto record = [this](const char* site) {
        return decodeSiteRecord(readFile(program.at(std::string("config/") + site)));
    };
    // A new site: port 21, a minute between keep-alives, the default time-outs.
    trigger("noweedycja1");
    auto* dialog = opened<TOKRightDlg2>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Edit6->text(), "21");
    EXPECT_EQ(dialog->TimeNOOP->text(), "60");
    EXPECT_TRUE(dialog->Edit1->text().isEmpty());
    EXPECT_FALSE(dialog->Panel1->isVisible());
    dialog->Edit1->setText("work");
    QTest::keyClick(dialog->Edit1, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter in the name does nothing";
    dialog->SpeedButton2->click();
    EXPECT_EQ(lastBox(), window->Translate("HostFieldIsBlank"));
    dialog->Edit3->setText("ftp.example.org");
    messages->answerNext(MessageButton::Yes);
    QTest::keyClick(dialog->TimeNOOP, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible()) << "Enter in the interval applies";
    auto saved = record("work");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->NoopInterval, 600);
    EXPECT_EQ(std::vector<int>({saved->CtrlRecvTimeout, saved->CtrlSendTimeout,
                                saved->DataRecvTimeout, saved->DataSendTimeout}),
              (std::vector<int>{1000, 1000, 10000, 10000}));
    EXPECT_EQ(edit("eSrvName")->text(), "ftp.example.org");

    // The current site's dialog shows the bar's texts, not the saved ones.
    edit("eSrvName")->setText("typed.example.org");
    trigger("OpcjeFTP1");
    dialog = opened<TOKRightDlg2>();
    EXPECT_EQ(dialog->Edit3->text(), "typed.example.org");
    EXPECT_EQ(dialog->Edit1->text(), "work");

    // 5 s runs as 50 cycles when the save is declined, and is saved as 30 s.
    dialog->TimeNOOP->setText("5");
    messages->answerNext(MessageButton::No);
    dialog->SpeedButton2->click();
    trigger("OpcjeFTP1");
    dialog = opened<TOKRightDlg2>();
    EXPECT_EQ(dialog->TimeNOOP->text(), "5");
    messages->answerNext(MessageButton::Yes);
    dialog->SpeedButton2->click();
    EXPECT_EQ(record("work")->NoopInterval, 300);

    // No whole number of seconds that the cycle count holds: 90 s. One time-out that is no
    // 32-bit number resets all four.
    struct Case {
        const char* interval;
        std::array<const char*, 4> timeouts;
        int cycles;
        std::array<int, 4> stored;
    };
    const Case cases[] = {
        {"0", {"1", "2", "3", "4"}, 900, {1, 2, 3, 4}},
        {"-5", {"1", "2", "x", "4"}, 900, {1000, 1000, 10000, 10000}},
        {"214748365", {"1", "2", "3", "99999999999"}, 900, {1000, 1000, 10000, 10000}},
        {"ten", {"", "", "", ""}, 900, {1000, 1000, 10000, 10000}},
        {"214748364", {"1", "2", "3", "4"}, 2147483640, {1, 2, 3, 4}}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.interval);
        trigger("OpcjeFTP1");
        dialog = opened<TOKRightDlg2>();
        dialog->TimeNOOP->setText(test.interval);
        const std::array<QLineEdit*, 4> edits = {dialog->IOCtrlReciTime, dialog->IOCtrlSendTime,
                                                 dialog->IODataReciTime, dialog->IODataSendTime};
        for (std::size_t i = 0; i < edits.size(); ++i)
            edits[i]->setText(test.timeouts[i]);
        messages->answerNext(MessageButton::Yes);
        dialog->SpeedButton2->click();
        saved = record("work");
        EXPECT_EQ(saved->NoopInterval, test.cycles);
        EXPECT_EQ((std::array<int, 4>{saved->CtrlRecvTimeout, saved->CtrlSendTimeout,
                                      saved->DataRecvTimeout, saved->DataSendTimeout}),
                  test.stored);
    }

    // A start folder longer than the record holds is refused at the save and still runs.
    const std::string longFolder = "/" + std::string(600, 'd');
    trigger("OpcjeFTP1");
    dialog = opened<TOKRightDlg2>();
    EXPECT_EQ(dialog->TimeNOOP->text(), "214748364");
    dialog->Edit5->setText(QString::fromStdString(longFolder));
    dialog->SpeedButton2->click();
    EXPECT_EQ(lastBox(), window->Translate("OperationNotAllowed") + "\n\n" + longFolder);
    EXPECT_FALSE(dialog->isVisible());
    trigger("OpcjeFTP1");
    EXPECT_EQ(opened<TOKRightDlg2>()->Edit5->text().toStdString(), longFolder);
    EXPECT_TRUE(record("work")->StartDir.empty());
}

TEST_F(FtpDialogsTest, EachCommandWindowRunsAndLogsItsOwnCommand) {
    TempTree canned;
    writeFile(canned.at("default"), "-rw-r--r-- 1 o g 1 Jan 1 2001 one.txt\r\n");
    writeFile(canned.at("pub"), "");
    const auto server = tarvo::ftp::test::startFaultServer("127.0.0.1", "canned", canned.path());
    fs::create_directory(server->root / "pub");
    // The user clicks into the dialog's command box, types and presses Enter.
    const auto run = [](TOKRightDlg12345* dialog, const QString& command) {
        typeInto(dialog->ComboBox1, command);
        press(Qt::Key_Return);
    };
    const auto log = [](TOKRightDlg12345* dialog) {
        return dialog->Memo1->toPlainText().toStdString();
    };

    window->show();
    ASSERT_TRUE(pumpUntil([this] { return idle(); })); // the start-up's reading of the panels
    trigger("FTPCommand1");
    auto* offline = opened<TOKRightDlg12345>();
    ASSERT_NE(offline, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return offline->isAncestorOf(focused()); }))
        << "the command box of the new window takes the keys";
    typeText("pwd");
    press(Qt::Key_Return);
    ASSERT_TRUE(
        pumpUntil([&] { return log(offline).find("Connect call failed.") != std::string::npos; }));
    EXPECT_NE(log(offline).find("] Command:> pwd\n"), std::string::npos);
    offline->close();

    ASSERT_TRUE(connectLeft(*server, 2));
    trigger("FTPCommand1");
    QPointer<TOKRightDlg12345> first = opened<TOKRightDlg12345>();
    trigger("FTPCommand1");
    QPointer<TOKRightDlg12345> second = opened<TOKRightDlg12345>();
    ASSERT_TRUE(first && second && first != second);

    const QString execute = QString::fromStdString(tr("Execute"));
    typeInto(first->ComboBox1, "pwd");
    typeInto(second->ComboBox1, "syst");
    clickButton(first, execute);
    ASSERT_TRUE(pumpUntil([&] { return log(first).find("257 ") != std::string::npos && idle(); }));
    EXPECT_TRUE(log(second).empty());
    clickButton(second, execute);
    ASSERT_TRUE(pumpUntil([&] { return log(second).find("215 ") != std::string::npos && idle(); }));
    EXPECT_EQ(log(first).find("syst"), std::string::npos);

    // The listing's data follows its replies; the history takes each command once.
    for (const char* command : {"LIST -a", "LIST", "pwd"}) {
        run(first, command);
        ASSERT_TRUE(pumpUntil([&] { return idle(); }));
    }
    ASSERT_TRUE(pumpUntil([&] { return log(first).find("one.txt") != std::string::npos; }));
    QStringList history;
    for (int i = 0; i < first->ComboBox1->count(); ++i)
        history << first->ComboBox1->itemText(i);
    EXPECT_EQ(history, (QStringList{"pwd", "LIST -a"}));

    // A command given while the worker finishes a short one waits for it, then runs.
    std::atomic<bool> release{false};
    holdWorker(release);
    const std::string before = log(first);
    run(first, "NOOP");
    EXPECT_EQ(log(first), before);
    release = true;
    ASSERT_TRUE(pumpUntil(
        [&] { return idle() && log(first).find("] Command:> NOOP\n") != std::string::npos; }));
    EXPECT_NE(readFile(canned.at("received")).find("NOOP"), std::string::npos);

    // While a job runs the command is refused: the status line says so, the box keeps it.
    std::atomic<bool> jobEnds{false};
    holdUntil<cmd::Download>(window->engine().remoteWorker(), jobEnds);
    ASSERT_EQ(window->engine().remoteCommands().post(cmd::Download{}), PostResult::Started);
    run(first, "STAT");
    EXPECT_EQ(first->ComboBox1->currentText(), "STAT");
    EXPECT_TRUE(child<QLabel>("Label18")->text().startsWith("Busy"));
    jobEnds = true;
    ASSERT_TRUE(pumpUntil([&] { return idle(); }));
    EXPECT_EQ(readFile(canned.at("received")).find("STAT"), std::string::npos);

    // Save As: a failure names the file and the reason; the log is written with CR LF.
    window->setLogFileChooser([this] { return QString::fromStdString(program.at("no/such/log")); });
    const QString saveAs = QString::fromStdString(tr("SaveAs"));
    clickButton(first, saveAs);
    EXPECT_EQ(lastBox().rfind(window->Translate("OperationNotAllowed") + "\n\n" +
                                  program.at("no/such/log") + "\n",
                              0),
              0u)
        << lastBox();
    window->setLogFileChooser([this] { return QString::fromStdString(program.at("log.txt")); });
    clickButton(second, saveAs);
    const std::string written = readFile(program.at("log.txt"));
    EXPECT_NE(written.find("] Command:> syst\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.substr(written.size() - 2), "\r\n");

    // A CWD moves the panel; the session ended there is where the site's settings start.
    run(second, "CWD /pub");
    ASSERT_TRUE(pumpUntil([&] { return left().model().rowCount() == 1 && idle(); }));
    EXPECT_EQ(left().widgets().pathLabel->text(), "0:/pub");
    click(child<QToolButton>("butConnect"));
    ASSERT_TRUE(pumpUntil([&] { return !left().model().remote() && idle(); }));
    trigger("OpcjeFTP1");
    auto* settings = opened<TOKRightDlg2>();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->Edit5->text(), "/pub");
    messages->answerNext(MessageButton::Yes);
    click(settings->SpeedButton2);
    EXPECT_EQ(decodeSiteRecord(readFile(program.at("config/site")))->StartDir, "/pub");
}

} // namespace
