// Real mounts, unmounts and moves while the window runs. They happen in a mount namespace of
// this test's own, so nothing leaks to the machine; where mounting is refused (no privilege),
// the tests are skipped.
#include "main/main_window.h"
#include "main/panel_controller.h"

#include "support/pump.h"
#include "support/scripted_messages.h"
#include "support/shipped_files.h"
#include "support/temp_tree.h"

#include <QComboBox>
#include <QLabel>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>

namespace {

class DriveChangeTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        privateMounts = ::unshare(CLONE_NEWNS) == 0 &&
                        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    void SetUp() override {
        if (!privateMounts)
            GTEST_SKIP() << "mounting is not allowed here";
        useAsProgramFolder(program.path());
        savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home.path().c_str(), 1);
        window = std::make_unique<TForm1>(
            [](UiBridge&, QWidget*) { return std::make_unique<ScriptedMessages>(); });
        window->FormCreate();
        window->show();
        ASSERT_TRUE(showing(PanelSide::Left, home.path()));
        ASSERT_TRUE(showing(PanelSide::Right, home.path()));
    }
    void TearDown() override {
        window.reset();
        for (const std::string& point : mounted)
            ::umount2(point.c_str(), MNT_DETACH);
        if (!savedHome.empty())
            setenv("HOME", savedHome.c_str(), 1);
        unsetenv("TARVO_HOME");
    }

    std::string mountRam(const std::string& relative) {
        const std::string point = mounts.dir(relative);
        EXPECT_EQ(::mount("tarvo-test", point.c_str(), "tmpfs", 0, "size=1m"), 0);
        mounted.push_back(point);
        return point;
    }
    QComboBox* box(PanelSide side) {
        return window->findChild<QComboBox*>(side == PanelSide::Left ? "ComboBox4" : "ComboBox5");
    }
    bool listed(PanelSide side, const std::string& point) {
        return box(side)->findText(QString::fromStdString("[-" + point + "-] Ram")) >= 0;
    }
    bool bothList(const std::string& point, bool expected) {
        return pumpUntil([&] {
            return listed(PanelSide::Left, point) == expected &&
                   listed(PanelSide::Right, point) == expected;
        });
    }
    PanelController& panel(PanelSide side) { return window->panel(side); }
    bool showing(PanelSide side, const std::string& folder) {
        return pumpUntil([&] {
            return panel(side).explorer().GetPath() == folder &&
                   panel(side).widgets().pathLabel->text().toStdString() == folder &&
                   window->RemoteCommand.idle();
        });
    }
    // Lists the mount point through the panel's drive box, as a user picks it.
    void choose(PanelSide side, const std::string& point) {
        const int item = box(side)->findText(QString::fromStdString("[-" + point + "-] Ram"));
        ASSERT_GE(item, 0);
        box(side)->setCurrentIndex(item);
        emit box(side)->activated(item);
        ASSERT_TRUE(showing(side, point));
    }

    static inline bool privateMounts = false;
    TempTree program;
    TempTree home;
    TempTree mounts;
    std::vector<std::string> mounted;
    std::string savedHome;
    std::unique_ptr<TForm1> window;
};

TEST_F(DriveChangeTest, AMountShowsInBothBoxesAndAnUnmountSendsItsPanelHome) {
    const std::string stick = mountRam("stick");
    ASSERT_TRUE(bothList(stick, true));
    choose(PanelSide::Left, stick);
    EXPECT_EQ(box(PanelSide::Right)->currentText().toStdString().find("[-" + stick),
              std::string::npos)
        << "the other panel keeps its own drive";

    // Nothing of the program's may keep the file system busy.
    ASSERT_EQ(::umount(stick.c_str()), 0);
    mounted.clear();
    ASSERT_TRUE(bothList(stick, false));
    EXPECT_TRUE(showing(PanelSide::Left, home.path()));
    EXPECT_TRUE(showing(PanelSide::Right, home.path()));
}

TEST_F(DriveChangeTest, AMoveReplacesTheItemEvenWithTheCountUnchanged) {
    const std::string before = mountRam("before");
    ASSERT_TRUE(bothList(before, true));
    choose(PanelSide::Right, before);
    const int count = box(PanelSide::Left)->count();

    const std::string after = mounts.dir("after");
    ASSERT_EQ(::mount(before.c_str(), after.c_str(), nullptr, MS_MOVE, nullptr), 0);
    mounted = {after};
    ASSERT_TRUE(bothList(after, true));
    EXPECT_TRUE(bothList(before, false));
    EXPECT_EQ(box(PanelSide::Left)->count(), count);
    EXPECT_TRUE(showing(PanelSide::Right, home.path())) << "its file system left that place";
}

} // namespace
