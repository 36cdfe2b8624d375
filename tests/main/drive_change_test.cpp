// Real mounts, unmounts and moves while the window runs. They happen in a mount namespace of
// this test's own, so nothing leaks to the machine; where mounting is refused (no privilege),
// the tests are skipped, or fail under CI.
#include "main/window_harness.h"
#include "support/skip_or_fail.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace {

class DriveChangeTest : public testing::Test, protected WindowHarness {
protected:
    static void SetUpTestSuite() {
        privateMounts = ::unshare(CLONE_NEWNS) == 0 &&
                        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateMounts)
            whyNoMounts =
                std::string("no mount namespace of the test's own: ") + std::strerror(errno);
    }
    void SetUp() override {
        if (!privateMounts)
            SKIP_OR_FAIL(whyNoMounts);
        ASSERT_TRUE(open());
    }
    void TearDown() override {
        window.reset();
        for (const std::string& point : mounted)
            ::umount2(point.c_str(), MNT_DETACH);
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
    int itemOf(PanelSide side, const std::string& point) {
        return box(side)->findText(QString::fromStdString("[-" + point + "-] Ram"));
    }
    bool listed(PanelSide side, const std::string& point) { return itemOf(side, point) >= 0; }
    bool bothList(const std::string& point, bool expected) {
        return pumpUntil([&] {
            return listed(PanelSide::Left, point) == expected &&
                   listed(PanelSide::Right, point) == expected;
        });
    }
    // Lists the mount point through the panel's drive box, as a user picks it.
    void choose(PanelSide side, const std::string& point) {
        const int item = itemOf(side, point);
        ASSERT_GE(item, 0);
        box(side)->setCurrentIndex(item);
        emit box(side)->activated(item);
        ASSERT_TRUE(showing(side, point));
    }

    static inline bool privateMounts = false;
    static inline std::string whyNoMounts;
    TempTree mounts;
    std::vector<std::string> mounted;
};

// A mount shows in both boxes; a move replaces its item with the count unchanged and sends the
// panel showing it home; so does the unmount, which nothing of the program's may keep busy.
TEST_F(DriveChangeTest, MountsMovesAndUnmountsFollowInBothBoxesAndSendThePanelHome) {
    const std::string before = mountRam("before");
    ASSERT_TRUE(bothList(before, true));
    choose(PanelSide::Left, before);
    EXPECT_EQ(box(PanelSide::Right)->currentText().toStdString().find("[-" + before),
              std::string::npos)
        << "the other panel keeps its own drive";
    const int count = box(PanelSide::Left)->count();

    const std::string after = mounts.dir("after");
    ASSERT_EQ(::mount(before.c_str(), after.c_str(), nullptr, MS_MOVE, nullptr), 0);
    mounted = {after};
    ASSERT_TRUE(bothList(after, true));
    EXPECT_TRUE(bothList(before, false));
    EXPECT_EQ(box(PanelSide::Left)->count(), count);
    EXPECT_TRUE(showing(PanelSide::Left, home.path())) << "its file system left that place";

    choose(PanelSide::Right, after);
    ASSERT_EQ(::umount(after.c_str()), 0);
    mounted.clear();
    ASSERT_TRUE(bothList(after, false));
    EXPECT_TRUE(showing(PanelSide::Right, home.path()));
}

// Select Drive focuses the box; the arrows then step through the drives, each listed at once,
// with the focus staying in the box until Enter or Esc gives it back to the grid.
TEST_F(DriveChangeTest, TheArrowsStepThroughTheDrivesAfterSelectDrive) {
    const std::string first = mountRam("first");
    const std::string second = mountRam("second");
    ASSERT_TRUE(bothList(second, true));
    choose(PanelSide::Left, first);
    ASSERT_EQ(itemOf(PanelSide::Left, second), itemOf(PanelSide::Left, first) + 1);
    for (const Qt::Key giveBack : {Qt::Key_Return, Qt::Key_Escape}) {
        ASSERT_TRUE(activate());
        press(Qt::Key_D, Qt::ControlModifier);
        ASSERT_EQ(focused(), box(PanelSide::Left));
        press(Qt::Key_Down);
        EXPECT_TRUE(showing(PanelSide::Left, second));
        EXPECT_EQ(focused(), box(PanelSide::Left));
        press(Qt::Key_Up);
        EXPECT_TRUE(showing(PanelSide::Left, first));
        EXPECT_EQ(focused(), box(PanelSide::Left));
        press(giveBack);
        EXPECT_EQ(focused(), &left().grid());
    }
}

// A mount elsewhere reads no panel again; a move reads again only the panel that stood on it.
TEST_F(DriveChangeTest, OnlyAPanelWhoseMountChangedIsReadAgain) {
    const std::string moving = mountRam("moving");
    ASSERT_TRUE(bothList(moving, true));
    choose(PanelSide::Left, moving);
    home.file("late"); // shows only where home is read again
    const std::string elsewhere = mountRam("elsewhere");
    ASSERT_TRUE(bothList(elsewhere, true));
    const std::string moved = mounts.dir("moved");
    ASSERT_EQ(::mount(moving.c_str(), moved.c_str(), nullptr, MS_MOVE, nullptr), 0);
    mounted = {elsewhere, moved};
    ASSERT_TRUE(showing(PanelSide::Left, home.path()));
    EXPECT_TRUE(rowOf(PanelSide::Left, "late"));
    EXPECT_FALSE(rowOf(PanelSide::Right, "late")) << "the right panel was read again";
}

} // namespace
