// Desktop entries' command lines, and item properties asked of a file manager on a private bus.
#include "platform/desktop_tools.h"

#include "support/pump.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

TEST(DesktopEntry, ExecValuesBecomeArgumentLists) {
    struct Case {
        const char* exec;
        const char* file;
        QStringList command;
    };
    const Case cases[] = {
        {"gedit %U", "/a b/c.txt", {"gedit", "/a b/c.txt"}},
        {"kate -b %F", "/x", {"kate", "-b", "/x"}},
        {"editor", "/x", {"editor", "/x"}},
        {"editor %f", "", {"editor"}},
        {"\"/opt/my editor/bin/ed\" --new %u", "/x", {"/opt/my editor/bin/ed", "--new", "/x"}},
        {"sh -c \"echo \\\\\"hi\\\\\"\" %f", "/x", {"sh", "-c", "echo \"hi\"", "/x"}},
        {"ed --name=%c --icon %i 100%% %f", "/x", {"ed", "--name=", "--icon", "100%", "/x"}},
        {"\"ed\\sx\"  %k", "-y", {"ed x", "-y"}},
        {"", "/x", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(c.exec), QString::fromUtf8(c.file)),
                  c.command)
            << c.exec;

    EXPECT_EQ(desktopEntryExec("# x\nExec=wrong\n[Desktop Entry]\nName=E\nExec = ed %F\n"
                               "[Desktop Action New]\nExec=ed --new\n"),
              "ed %F");
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\nName=E\n"), "");
}

// Stands in for a file manager: records the items whose properties it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public slots:
    void ShowItemProperties(const QStringList& uris, const QString&) { shown << uris; }
};

class PrivateBus : public testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
        ASSERT_TRUE(daemon_.waitForReadyRead(10000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("fake");
        QDBusConnection::disconnectFromBus("tools");
        daemon_.kill();
        daemon_.waitForFinished();
    }
    QDBusConnection connect(const char* name) {
        return QDBusConnection::connectToBus(address_, QString::fromLatin1(name));
    }

    QProcess daemon_;
    QString address_;
};

TEST_F(PrivateBus, PropertiesGoToTheFileManagerThatOffersThem) {
    std::vector<std::string> failures;
    const auto report = [&](const std::string& text) { failures.push_back(text); };

    // No file manager on the bus: the command stays off.
    DesktopTools without(report, connect("tools"));
    ASSERT_TRUE(pumpUntil([&] { return connect("tools").isConnected(); }));

    FakeFileManager manager;
    QDBusConnection fake = connect("fake");
    ASSERT_TRUE(fake.registerObject("/org/freedesktop/FileManager1", &manager,
                                    QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(fake.registerService("org.freedesktop.FileManager1"));
    DesktopTools tools(report, connect("tools"));
    ASSERT_TRUE(pumpUntil([&] { return tools.propertiesAvailable(); }));
    EXPECT_FALSE(without.propertiesAvailable());

    tools.showProperties("/tmp/a b#c.txt");
    ASSERT_TRUE(pumpUntil([&] { return !manager.shown.isEmpty(); }));
    EXPECT_EQ(manager.shown, QStringList{"file:///tmp/a%20b%23c.txt"});

    // The file manager went away: the failure is told with the bus's reason.
    fake.unregisterService("org.freedesktop.FileManager1");
    tools.showProperties("/tmp");
    ASSERT_TRUE(pumpUntil([&] { return !failures.empty(); }));
    EXPECT_NE(failures.front().find("Could not show the properties of \"/tmp\"."),
              std::string::npos);
}

TEST(DesktopTools, AProgramThatCannotStartIsReportedWithTheReason) {
    std::vector<std::string> failures;
    DesktopTools tools([&](const std::string& text) { failures.push_back(text); },
                       QDBusConnection(QStringLiteral("no bus")));
    EXPECT_FALSE(tools.startProgram("/bin/sh", {}, "/no/such/folder"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("Could not start \"/bin/sh\".\n\n", 0), 0u) << failures[0];
    EXPECT_GT(failures[0].size(), std::string("Could not start \"/bin/sh\".\n\n").size());
}

} // namespace

#include "desktop_tools_test.moc"
