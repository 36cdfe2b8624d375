// The zip commands and the archive viewer driven as a user drives them: menus, prompts, the
// viewer's mouse marking and its Unpack button, the cancel button.
#include "main/zip_view_dialog.h"
#include "window_harness.h"

#include "support/file_content.h"
#include "support/zip_archives.h"

#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

using Entries = std::vector<std::string>;

// Both panels show home/work.
class ZipWindowTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        home.dir("work");
        ASSERT_TRUE(open());
        for (LocalExplorer* explorer :
             {&window->engine().leftExplorer(), &window->engine().rightExplorer()})
            explorer->SetPath(home.at("work"));
        reread();
    }

    int rowOf(const std::string& nameCell) {
        return WindowHarness::rowOf(PanelSide::Left, nameCell).value();
    }
    void select(const std::string& nameCell) { WindowHarness::select(PanelSide::Left, nameCell); }
    void mark(std::initializer_list<const char*> nameCells) {
        for (const char* name : nameCells)
            left().model().setMarked(rowOf(name), true);
    }
    // Answers the folder question with the text, presses the viewer's Unpack and waits.
    void unpackFromViewer(TOKRightDlg1234* viewer, const std::string& target) {
        messages->answerTextNext(target);
        viewer->findChild<QToolButton*>("SpeedButton1")->click();
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    }
    std::string unpacked(const std::string& folder) {
        return readFile(home.at(folder + "/one")) + readFile(home.at(folder + "/two"));
    }
    std::string work(const std::string& name) { return home.at("work/" + name); }

    TOKRightDlg1234* openViewer(const std::string& archive) {
        select(archive);
        trigger("Zipview1");
        auto* viewer = window->findChild<TOKRightDlg1234*>();
        if (viewer == nullptr || !pumpUntil([viewer] { return viewer->isListed(); }))
            ADD_FAILURE() << "no viewer listed " << archive;
        return viewer;
    }
};

// The viewer's grid, and the middle of one of its rows.
QTableView* grid(TOKRightDlg1234* viewer) {
    return viewer->findChild<QTableView*>("StringGrid1");
}
QPoint rowPoint(TOKRightDlg1234* viewer, int row) {
    return grid(viewer)->visualRect(viewer->model().index(row)).center();
}

std::vector<int> markedRows(TOKRightDlg1234* viewer) {
    std::vector<int> rows;
    for (const int entry : viewer->markedEntries())
        rows.push_back(entry + 1);
    return rows;
}

// The pack proposes the folder's name and takes the current row when nothing is marked; the
// unpack of what it made takes folder texts without a slash and relative ones; a pack of marked
// rows that hold the archive itself ends quietly.
TEST_F(ZipWindowTest, PackAndUnpackAskForTheTargetTakeTheCurrentRowAndNeverPackTheArchive) {
    home.write("work/a.txt", "a");
    home.write("work/b.txt", "b");
    reread();
    select("a.txt");
    messages->answerTextNext(work("work.zip"));
    run("Zip1");

    ASSERT_FALSE(messages->shown().empty());
    const MessageRequest asked = messages->shown().front();
    EXPECT_EQ(asked.title + "|" + asked.text,
              tr("Pack") + "|" + tr("ArchiveName") + "\n" + work("work.zip"));
    EXPECT_EQ(archiveEntries(work("work.zip")), Entries{"a.txt"});
    EXPECT_TRUE(left().model().markedRows().empty());
    rowOf("work.zip"); // the panel was read again
    EXPECT_TRUE(window->findChild<QToolButton*>("SpeedButton24")->isHidden());
    // The progress timer's next tick clears the strip and stops itself.
    EXPECT_TRUE(pumpUntil([this] {
        return child<QLabel>("Label18")->text() == " " && !child<QTimer>("Timer2")->isActive();
    }));

    for (const std::string& typed : {home.at("absolute"), std::string("relative")}) {
        SCOPED_TRACE(typed);
        select("work.zip");
        messages->answerTextNext(typed);
        run("UnZip1");
        const MessageRequest asked = messages->shown().back();
        EXPECT_EQ(asked.title + "|" + asked.text,
                  tr("Unpack") + "|" + tr("UnpackTo") + "\n" + work(""));
    }
    EXPECT_EQ(readFile(home.at("absolute/a.txt")) + readFile(work("relative/a.txt")), "aa");
    const std::size_t count = messages->shown().size();
    select("[relative]");
    trigger("UnZip1"); // a folder is no archive
    EXPECT_EQ(messages->shown().size(), count);

    // Marking the archive itself ends the pack without a word.
    const std::string packed = readFile(work("work.zip"));
    mark({"a.txt", "work.zip"});
    messages->answerTextNext("work.zip"); // relative: the panel's folder
    run("Zip1");
    EXPECT_EQ(messages->shown().size(), count + 1);
    EXPECT_EQ(readFile(work("work.zip")), packed);
}

TEST_F(ZipWindowTest, TheViewerMarksBySweepingAndByShiftClicks) {
    writeArchive(work("a.zip"), {{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}, {"6", ""}});
    reread();
    TOKRightDlg1234* viewer = openViewer("a.zip");
    ASSERT_NE(viewer, nullptr);
    QWidget* surface = grid(viewer)->viewport();

    // A sweep down toggles each row once; a jump toggles the rows skipped; back toggles again.
    QTest::mousePress(surface, Qt::RightButton, {}, rowPoint(viewer, 1));
    QTest::mouseMove(surface, rowPoint(viewer, 2));
    QTest::mouseMove(surface, rowPoint(viewer, 5));
    QTest::mouseMove(surface, rowPoint(viewer, 4));
    QTest::mouseRelease(surface, Qt::RightButton, {}, rowPoint(viewer, 4));
    EXPECT_EQ(markedRows(viewer), (std::vector<int>{1, 2, 3, 5}));

    // The title row never takes a mark; Shift+click toggles from the current row to the one
    // clicked, both included.
    QTest::mouseClick(surface, Qt::LeftButton, {}, rowPoint(viewer, 0));
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier, rowPoint(viewer, 3));
    EXPECT_EQ(markedRows(viewer), (std::vector<int>{5}));
    EXPECT_TRUE(viewer->model().index(5).data(ZipViewModel::MarkedRole).toBool());
}

TEST_F(ZipWindowTest, TheViewerUnpacksItsOwnArchiveWhereverTheMainRowIs) {
    writeArchive(work("a.zip"), {{"one", "1"}, {"two", "2"}});
    writeArchive(work("b.zip"), {{"other", "b"}});
    reread();
    TOKRightDlg1234* viewer = openViewer("a.zip");
    ASSERT_NE(viewer, nullptr);
    select("b.zip");

    // Marked entries, or the whole archive when none is marked.
    viewer->model().toggleMark(2);
    unpackFromViewer(viewer, home.at("marked"));
    EXPECT_EQ(lastBox(), tr("UnpackTo") + "\n" + work(""));
    EXPECT_FALSE(std::filesystem::exists(home.at("marked/one")));
    EXPECT_EQ(readFile(home.at("marked/two")), "2");
    EXPECT_TRUE(viewer->markedEntries().empty()) << "the unpack takes the viewer's marks";

    unpackFromViewer(viewer, home.at("whole"));
    EXPECT_EQ(unpacked("whole"), "12");
    EXPECT_FALSE(std::filesystem::exists(home.at("whole/other")));

    // While another command runs the button does nothing.
    const std::size_t asked = messages->shown().size();
    window->findChild<QWidget*>("Panel2")->setEnabled(false);
    viewer->findChild<QToolButton*>("SpeedButton1")->click();
    EXPECT_EQ(messages->shown().size(), asked);
    window->findChild<QWidget*>("Panel2")->setEnabled(true);
}

// The viewer unpacks only the archive it listed: marks name entries by their place in it, so one
// replaced under the viewer, or gone, is named in a box and nothing is written.
TEST_F(ZipWindowTest, TheViewerUnpacksNothingOfAnArchiveReplacedOrRemovedUnderIt) {
    writeArchive(work("a.zip"), {{"one", "1"}, {"two", "2"}});
    reread();
    TOKRightDlg1234* viewer = openViewer("a.zip");
    ASSERT_NE(viewer, nullptr);
    writeArchive(work("b.zip"), {{"never", "seen"}, {"shown", "!"}});
    std::filesystem::rename(work("b.zip"), work("a.zip"));
    QTest::mouseClick(grid(viewer)->viewport(), Qt::RightButton, {}, rowPoint(viewer, 2));
    ASSERT_EQ(markedRows(viewer), std::vector<int>{2});
    unpackFromViewer(viewer, home.at("replaced"));
    EXPECT_EQ(lastBox(),
              "Nothing was unpacked: the archive changed after it was listed.\n\n" + work("a.zip"));
    EXPECT_FALSE(std::filesystem::exists(home.at("replaced")));

    std::filesystem::remove(work("a.zip"));
    unpackFromViewer(viewer, home.at("gone"));
    EXPECT_EQ(lastBox(), "Nothing was unpacked: the archive is missing.\n\n" + work("a.zip"));
    EXPECT_FALSE(std::filesystem::exists(home.at("gone")));
}

TEST_F(ZipWindowTest, ClosingTheViewerWhileItsUnpackRunsLeavesTheUnpackToFinish) {
    writeArchive(work("a.zip"), {{"one", "1"}, {"two", "2"}});
    reread();
    TOKRightDlg1234* viewer = openViewer("a.zip");
    ASSERT_NE(viewer, nullptr);
    viewer->model().toggleRange(1, 2);
    messages->answerTextNext(home.at("out"));
    viewer->findChild<QToolButton*>("SpeedButton1")->click();
    delete viewer; // before the job's clearing of its marks reaches the screen
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    EXPECT_EQ(unpacked("out"), "12");
}

TEST_F(ZipWindowTest, TheCancelButtonStopsAPackAndKeepsWhatWasPacked) {
    home.write("work/first.txt", "complete");
    home.file("work/later.zip", std::int64_t{16} << 30); // stored: the archive grows fast
    reread();
    mark({"first.txt", "later.zip"});
    messages->answerTextNext(home.at("out.zip"));
    trigger("Zip1");
    ASSERT_TRUE(window->zipJobRunning());
    ASSERT_TRUE(pumpUntil([&] {
        std::error_code gone; // the temporary file is renamed when the pack ends
        for (const auto& entry : std::filesystem::directory_iterator(home.path()))
            if (entry.path().filename().string().rfind(".tarvo-", 0) == 0 &&
                entry.file_size(gone) > (64 << 20) && !gone)
                return true;
        return false;
    }));
    window->findChild<QToolButton*>("SpeedButton24")->click();
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    EXPECT_EQ(archiveEntries(home.at("out.zip")), Entries{"first.txt"});
    EXPECT_TRUE(unzipTestPasses(home.at("out.zip")));
    EXPECT_EQ(left().model().markedRows(), std::vector<int>{rowOf("later.zip")});
}

// The Unpack button has the focus when the viewer opens: Enter and keypad Enter press it as
// Space does.
TEST_F(ZipWindowTest, EnterOnTheFocusedUnpackButtonPressesIt) {
    writeArchive(work("a.zip"), {{"one", "1"}, {"two", "2"}});
    reread();
    TOKRightDlg1234* viewer = openViewer("a.zip");
    ASSERT_NE(viewer, nullptr);
    QApplication::setActiveWindow(viewer);
    auto* button = viewer->findChild<QToolButton*>("SpeedButton1");
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::string folder; // unpacked into
    };
    const Case cases[] = {{Qt::Key_Return, Qt::NoModifier, "return"},
                          {Qt::Key_Enter, Qt::KeypadModifier, "keypad"},
                          {Qt::Key_Space, Qt::NoModifier, "space"}};
    for (const auto& [key, modifiers, folder] : cases) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(pumpUntil([&] { return focused() == button; }));
        messages->answerTextNext(home.at(folder));
        press(key, modifiers);
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
        EXPECT_EQ(lastBox(), tr("UnpackTo") + "\n" + work(""));
        EXPECT_EQ(unpacked(folder), "12");
    }
}

} // namespace
