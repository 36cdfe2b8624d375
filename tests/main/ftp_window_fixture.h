#pragma once

// The FTP client driven through the window: a harness with the connection bar's fields, the
// remote panel's state and the test servers.
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "window_harness.h"

#include "support/file_content.h"
#include "test_servers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

class FtpWindowTest : public testing::Test, protected WindowHarness {
protected:
    using TestServer = tarvo::ftp::test::TestServer;

    void SetUp() override {
        program.write("config/lista.txt", "alpha\r\nbeta\r\n");
        home.file("local.txt");
        create();
    }

    QLineEdit* edit(const char* name) { return child<QLineEdit>(name); }
    QString consoleText() { return child<QPlainTextEdit>("Memo1")->toPlainText(); }
    // Types into the connection bar's name, server, port, user and password boxes; empty texts
    // too. The user types into a window that shows.
    void fill(const QStringList& texts) {
        window->show();
        const char* boxes[] = {"Edit2", "eSrvName", "eSrvPort", "eUserName", "eUserPasswd"};
        for (int i = 0; i < texts.size(); ++i)
            typeInto(edit(boxes[i]), texts[i]);
    }
    QStringList bar() {
        QStringList texts;
        for (const char* box : {"Edit2", "eSrvName", "eSrvPort", "eUserName", "eUserPasswd"})
            texts << edit(box)->text();
        return texts;
    }
    void fillBar(const TestServer& server, const QString& site = "site") {
        fill({site, QString::fromStdString(server.host), QString::number(server.process->port()),
              QString::fromStdString(server.user), QString::fromStdString(server.password)});
    }
    QStringList items(QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }

    // The left panel shows the FTP listing with that many rows, the worker is idle and the
    // panels take keys again.
    bool showsRemote(int rows) {
        return left().model().remote() && left().model().rowCount() == rows && idle();
    }
    // The left panel shows the FTP session in that folder, and every command has ended.
    bool showsRemoteFolder(const QString& folder) {
        return left().model().remote() && pathLabel() == "0:" + folder && idle();
    }
    QString pathLabel() { return left().widgets().pathLabel->text(); }

    // Saves the server as a site of that name, as the user does with the bar's save button.
    void saveSite(const std::string& name, const TestServer& server) {
        fillBar(server, QString::fromStdString(name));
        messages->answerNext(MessageButton::Yes);
        click(child<QToolButton>("SpeedButton1"));
    }
    // Opens a line as its favourites item does.
    void openFavorite(const std::string& line) {
        program.write("Favorites.dat", line + "\r\n");
        window->RebuildFavoritesMenu();
        child<QMenu>("Navigator1")->actions().back()->trigger();
    }
    std::string leftHistory() { return readFile(program.at("HistoryLeft.dat")); }
    // Whether each command that depends on the active panel and the session is enabled.
    std::map<std::string, bool> panelCommandStates() {
        std::map<std::string, bool> states;
        for (const char* name :
             {"Move1", "Zapiszjako1", "Zip1", "UnZip1", "Zipview1", "Disk1", "Print1"})
            states[name] = action(name)->isEnabled();
        states["SpeedButton11"] = child<QToolButton>("SpeedButton11")->isEnabled();
        return states;
    }

    // Shows the window and connects the left panel to a server whose listing takes minutes;
    // returns once the LIST is sent.
    void connectToACrawlingListing() {
        std::string listing;
        for (int i = 0; i < 20000; ++i)
            listing += "-rw-r--r-- 1 o g 1 Jan 1 2001 remote" + std::to_string(i) + "\r\n";
        writeFile(canned.at("default"), listing);
        crawling = tarvo::ftp::test::startFaultServer("127.0.0.1", "canned", canned.path(), 4096);
        window->show();
        ASSERT_TRUE(pumpUntil([this] { return left().model().rowCount() == 2; }));
        fillBar(*crawling);
        click(child<QToolButton>("butConnect"));
        ASSERT_TRUE(pumpUntil([this] { return consoleText().contains("Command:> LIST"); }));
    }

    TempTree canned;
    std::unique_ptr<TestServer> crawling;
};

// The one vsftpd of these tests, its root holding just these files (parents made, owned by
// the server's account), or why it could not start.
inline const tarvo::ftp::test::StartedServer&
vsftpdWith(const std::map<std::string, std::string>& files) {
    static const auto started = tarvo::ftp::test::startVsftpd("127.0.0.1");
    if (!started.server)
        return started;
    const tarvo::ftp::test::TestServer& server = *started.server;
    for (const auto& entry : std::filesystem::directory_iterator(server.root))
        std::filesystem::remove_all(entry.path());
    for (const auto& [name, content] : files) {
        std::filesystem::create_directories((server.root / name).parent_path());
        writeFile(server.root / name, content);
    }
    server.handOver();
    return started;
}
