// Desktop entries' command lines, and item properties asked of a file manager on a private bus.
#include "platform/desktop_tools.h"

#include "support/private_bus.h"
#include "support/pump.h"

#include <QDBusConnection>
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

class PropertiesTest : public testing::Test {
protected:
    void SetUp() override {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no D-Bus daemon could be started";
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("fake");
        QDBusConnection::disconnectFromBus("tools");
    }

    PrivateBus bus;
};

TEST_F(PropertiesTest, GoToTheFileManagerThatOffersThem) {
    std::vector<std::string> failures;
    const auto report = [&](const std::string& text) { failures.push_back(text); };

    FakeFileManager manager;
    QDBusConnection fake = bus.connect("fake");
    ASSERT_TRUE(manager.offerOn(fake));
    DesktopTools tools(report, bus.connect("tools"));
    ASSERT_TRUE(pumpUntil([&] { return tools.propertiesAvailable(); }));

    tools.showProperties("/tmp/a b#c.txt");
    ASSERT_TRUE(pumpUntil([&] { return !manager.shown.isEmpty(); }));
    EXPECT_EQ(manager.shown, QStringList{"file:///tmp/a%20b%23c.txt"});

    // The file manager went away: the failure is told with the bus's reason, and tools made
    // now find no properties (their questions are answered before the failed call's).
    fake.unregisterService("org.freedesktop.FileManager1");
    DesktopTools later(report, bus.connect("tools"));
    tools.showProperties("/tmp");
    ASSERT_TRUE(pumpUntil([&] { return !failures.empty(); }));
    EXPECT_FALSE(later.propertiesAvailable());
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
