// Properties, Share and Unshare of the window, answered by a fake file manager on a private
// session bus. A process of its own: the session bus is chosen once per process.
#include "main/window_harness.h"

#include "support/private_bus.h"
#include "support/skip_or_fail.h"

#include <QAction>
#include <QDBusMessage>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Lives as long as the process: Qt's bus thread tears a connection down on its own time and may
// still look at the objects it exported after the test has let go of them.
FakeFileManager& lastingFileManager() {
    static auto* const manager = new FakeFileManager;
    return *manager;
}

class PropertiesWindowTest : public testing::Test, protected WindowHarness {
protected:
    void TearDown() override {
        manager.withdraw();
        QDBusConnection::disconnectFromBus("fake");
    }
    void SetUp() override {
        if (bus.address().isEmpty())
            SKIP_OR_FAIL(bus.whyNot().toStdString());
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8().constData(), 1);
        ASSERT_TRUE(manager.offerOn(bus.connect("fake")));
    }

    PrivateBus bus;
    FakeFileManager& manager = lastingFileManager();
};

TEST_F(PropertiesWindowTest, EachCommandAsksForTheItemsItNames) {
    home.write("a b.txt", "text");
    const std::string folder = home.dir("d");
    // Without a file manager on the bus the items stay disabled once the bus has answered (its
    // answers to the window come before the answer to a later question).
    manager.withdraw();
    QDBusConnection("fake").unregisterService("org.freedesktop.FileManager1");
    ASSERT_TRUE(open());
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames"));
    pumpUntil([] { return true; });
    EXPECT_FALSE(window->findChild<QAction*>("waciwoci1")->isEnabled());

    ASSERT_TRUE(manager.offerOn(QDBusConnection("fake")));
    ASSERT_TRUE(open());
    QAction* properties = window->findChild<QAction*>("waciwoci1");
    QAction* share = window->findChild<QAction*>("ShareCurrentDirectory1");
    QAction* unshare = window->findChild<QAction*>("UnshareDirectory1");
    ASSERT_TRUE(pumpUntil([&] { return share->isEnabled() && unshare->isEnabled(); }));
    const std::string parent = std::filesystem::path(home.path()).parent_path().string();
    struct Case {
        const char* cell;
        QAction* command;
        std::string item;
    };
    const Case cases[] = {
        {"a b.txt", properties, home.at("a b.txt")},
        {"[d]", properties, folder},
        {"[..]", properties, parent},
        {"a b.txt", share, home.path()},
        {"[d]", share, folder},
        {"[d]", unshare, folder},
    };
    for (const Case& c : cases) {
        select(PanelSide::Left, c.cell);
        const qsizetype before = manager.shown.size();
        c.command->trigger();
        ASSERT_TRUE(pumpUntil([&] { return manager.shown.size() > before; })) << c.cell;
        EXPECT_EQ(manager.shown.back().toStdString(),
                  QUrl::fromLocalFile(QString::fromStdString(c.item))
                      .toString(QUrl::FullyEncoded)
                      .toStdString())
            << c.cell;
    }
    EXPECT_TRUE(messages->shown().empty());

    // The file manager went away: the failure is told in words.
    QDBusConnection("fake").unregisterService("org.freedesktop.FileManager1");
    ASSERT_TRUE(activate());
    select(PanelSide::Left, "a b.txt");
    press(Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(pumpUntil([&] { return !messages->shown().empty(); }));
    EXPECT_EQ(lastBox(), "Could not show the properties of \"" + home.at("a b.txt") +
                             "\".\n\nNo file manager that shows properties is running.");
}

} // namespace
