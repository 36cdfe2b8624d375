// The file commands driven as a user drives them: keys, menus, the cancel button, drops.
#include "local/fileops/data_path.h"
#include "local/local_explorer.h"
#include "main/attribute_dialog.h"
#include "main/panel_drops.h"
#include "window_harness.h"

#include "support/file_content.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

using namespace std::chrono_literals;
namespace fileops = tarvo::fileops;

// Lets a copy's data through only when the test says so: each step waits for a permit.
class GatedDataPath : public fileops::DataPath {
public:
    std::int64_t move(const fileops::DataStep& step) override {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return permits_ > 0; });
        --permits_;
        --waiting_;
        lock.unlock();
        return fileops::kernelDataPath().move(step);
    }
    int clone(int, int) override { return EOPNOTSUPP; }

    void permit(int steps = 1) {
        std::lock_guard lock(mutex_);
        permits_ += steps;
        changed_.notify_all();
    }
    void open() { permit(1 << 20); } // more steps than any test copies
    bool waiting() {
        std::lock_guard lock(mutex_);
        return waiting_ > 0;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int permits_ = 0;
    int waiting_ = 0;
};

constexpr std::int64_t kStep = 8 << 20;

// The left panel shows home/left, the right one home/right.
class FileCommandsTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        home.dir("left");
        home.dir("right");
        ASSERT_TRUE(open());
        window->resize(1000, 800);
        show(PanelSide::Left, home.at("left"));
        show(PanelSide::Right, home.at("right"));
    }
    void TearDown() override {
        gate.open(); // a worker waiting in the gate must finish before the window goes
        window.reset();
    }

    // Shows the folder in the panel (both panels are read again) and waits until it is shown.
    void show(PanelSide side, const std::string& path) {
        panel(side).explorer().SetPath(path);
        reread();
    }
    PanelSide sideOf(PanelController& panel) {
        return &panel == &left() ? PanelSide::Left : PanelSide::Right;
    }
    int rowOf(PanelController& panel, const std::string& nameCell) {
        const auto row = WindowHarness::rowOf(sideOf(panel), nameCell);
        EXPECT_TRUE(row) << "no row " << nameCell;
        return row.value_or(0);
    }
    void select(PanelController& panel, const std::string& nameCell) {
        window->ActivateLeftPanel();
        if (&panel == &right())
            QTest::keyClick(&left().grid(), Qt::Key_Tab);
        panel.selectRow(rowOf(panel, nameCell));
    }
    void mark(PanelController& panel, std::initializer_list<const char*> nameCells) {
        for (const char* name : nameCells)
            panel.model().setMarked(rowOf(panel, name), true);
    }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    mode_t mode(const char* name) {
        struct stat status {};
        ::stat(home.at(name).c_str(), &status);
        return status.st_mode & 0777;
    }
    // Answers the modal attribute dialog once it shows: ticks read-only as told, then presses a
    // button.
    static void answerAttributeDialog(bool readOnly, const char* button) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<TOKRightDlg1*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_FALSE(dialog->findChild<QCheckBox*>("CheckBox3")->isEnabled());
            dialog->findChild<QCheckBox*>("CheckBox2")->setChecked(readOnly);
            dialog->findChild<QPushButton*>(button)->click();
        });
    }
    std::size_t entries(const char* folder) {
        return std::distance(std::filesystem::directory_iterator(home.at(folder)), {});
    }
    void drop(PanelController& panel, QMimeData& data) {
        QDropEvent event(QPointF(20, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel.grid().viewport(), &event);
    }
    bool acceptsDrag(PanelController& panel, QMimeData& data) {
        QDragEnterEvent event(QPoint(20, 30), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(panel.grid().viewport(), &event);
        return event.isAccepted();
    }

    GatedDataPath gate; // the window, whose explorers may use it, goes first (TearDown)
};

TEST_F(FileCommandsTest, CopyAndMoveTakeTheMarkedEntriesOrTheCurrentOneToTheOtherPanel) {
    home.write("left/a.txt", "a");
    home.write("left/b.txt", "b");
    home.write("left/sub/c.txt", "c");
    home.write("left/kept.txt", "kept");
    reread();
    select(left(), "kept.txt");
    mark(left(), {"a.txt", "[sub]"});

    run("kopiuj1");

    EXPECT_EQ(readFile(home.at("right/a.txt")) + readFile(home.at("right/sub/c.txt")), "ac");
    EXPECT_FALSE(std::filesystem::exists(home.at("right/kept.txt")));
    EXPECT_TRUE(left().model().markedRows().empty()) << "done rows lose their marks";
    EXPECT_EQ(rowOf(right(), "a.txt"), 2) << "the target panel shows the copies";

    select(left(), "b.txt");
    run("Move1");
    EXPECT_FALSE(std::filesystem::exists(home.at("left/b.txt")));
    EXPECT_EQ(readFile(home.at("right/b.txt")), "b") << lastBox();

    show(PanelSide::Right, home.at("left")); // both panels in one folder
    select(left(), "a.txt");
    run("kopiuj1");
    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{tr("OperationNotAllowed") + "\n\n" + home.at("left/a.txt")});
    EXPECT_EQ(readFile(home.at("left/a.txt")), "a");
}

TEST_F(FileCommandsTest, RequestsWhileAJobRunsAndEmptyJobsPostNothing) {
    home.write("left/big.bin", std::string(2 * kStep, 'x'));
    home.write("left/second.txt", "second");
    home.write("elsewhere/dropped.txt", "dropped");
    reread();
    select(left(), "[..]");
    trigger("kopiuj1");
    // A refresh of its own may run meanwhile on a loaded machine; the copy must not.
    EXPECT_FALSE(window->engine().localCommands().holds<cmd::LocalCopy>()) << "a job without entries is not posted";
    left().model().clearMarks();

    window->engine().leftExplorer().SetDataPath(gate);
    select(left(), "big.bin");
    trigger("kopiuj1");
    ASSERT_TRUE(pumpUntil([this] { return gate.waiting(); }));
    EXPECT_FALSE(window->findChild<QWidget*>("Panel5")->isEnabled());
    select(left(), "second.txt");
    trigger("Move1");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(home.at("elsewhere/dropped.txt")))});
    drop(right(), files);
    gate.open();
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));

    EXPECT_EQ(entries("right"), 1u) << "only big.bin: the move and the drop were refused";
    select(left(), "second.txt");
    run("kopiuj1");
    EXPECT_EQ(readFile(home.at("right/second.txt")), "second");
    EXPECT_TRUE(std::filesystem::exists(home.at("left/second.txt")))
        << "a refused move leaves no move behind";
}

TEST_F(FileCommandsTest, AJobWaitsForTheWorkerToFinishAShortCommand) {
    home.write("left/a.txt", "a");
    reread();
    std::atomic<bool> release{false};
    holdUntil<cmd::LocalUp>(window->engine().localWorker(), release); // a folder being read, say
    ASSERT_TRUE(postWhenTaken(window->engine().localCommands(), cmd::LocalUp{}));
    select(left(), "a.txt");
    trigger("kopiuj1");
    EXPECT_FALSE(window->findChild<QWidget*>("Panel5")->isEnabled())
        << "the job is taken, the panels are busy";
    release = true;
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    EXPECT_EQ(readFile(home.at("right/a.txt")), "a");
}

// The strip follows each tick from the first copy of the run on; Cancel stops the copy
// mid-file, the panels come back when the job has ended, and the next copy works.
TEST_F(FileCommandsTest, TheStripFollowsTheCopyAndCancelStopsItMidFile) {
    const std::string content = randomBytes(3 * kStep, 5);
    home.write("left/a-file-with-a-long-name.bin", content);
    reread();
    window->engine().leftExplorer().SetDataPath(gate);
    select(left(), "a-file-with-a-long-name.bin");
    trigger("kopiuj1");
    auto* timer = window->findChild<QTimer*>("Timer2");

    gate.permit();
    ASSERT_TRUE(pumpUntil([this] { return label("Label10") == "33%  8192KB / 24576KB"; }));
    EXPECT_TRUE(label("Label15").endsWith(" KB/s"));
    EXPECT_EQ(label("Label18").toStdString(), tr("Copying") + ": a-file-with-a-long-name.b...");
    EXPECT_EQ(window->windowTitle(), "Tarvo Manager 33%  8192KB / 24576KB");
    EXPECT_TRUE(timer->isActive()) << "the first tick must not stop the timer";
    gate.permit();
    ASSERT_TRUE(pumpUntil([this] { return label("Label10") == "66%  16384KB / 24576KB"; }));

    window->findChild<QToolButton*>("SpeedButton24")->click();
    EXPECT_FALSE(window->findChild<QWidget*>("Panel5")->isEnabled())
        << "the panels wait for the job to end";
    gate.open();
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    EXPECT_EQ(entries("right"), 0u);
    EXPECT_EQ(readFile(home.at("left/a-file-with-a-long-name.bin")), content);
    EXPECT_TRUE(left().model().isMarked(rowOf(left(), "a-file-with-a-long-name.bin")));
    EXPECT_EQ(std::make_tuple(timer->isActive(),
                              window->findChild<QToolButton*>("SpeedButton24")->isVisible(),
                              window->windowTitle(), label("Label10")),
              std::make_tuple(false, false, QString("Tarvo Manager"), QString(" ")));

    run("kopiuj1");
    EXPECT_EQ(readFile(home.at("right/a-file-with-a-long-name.bin")), content);
}

TEST_F(FileCommandsTest, DeleteAsksOverAtMostSixNamesAndNoUnmarksOnlyTheCurrentRow) {
    for (int i = 1; i <= 7; ++i)
        home.write("left/f" + std::to_string(i), "f");
    home.write("outside/keep.txt", "keep");
    home.symlink("left/link-row", home.at("outside"));
    reread();
    const std::string six = "\nf1\nf2\nf3\nf4\nf5\nf6\n....";
    for (const auto& [marked, names] : {std::pair{1, std::string("\nf1")}, {6, six}, {7, six}}) {
        select(left(), "f1");
        for (int i = 1; i <= marked; ++i)
            left().model().setMarked(rowOf(left(), "f" + std::to_string(i)), true);
        messages->answerNext(MessageButton::No);
        trigger("Usu1");
        const MessageRequest asked = messages->shown().back();
        EXPECT_EQ(std::tie(asked.text, asked.buttons),
                  std::tuple(tr("DoYouWontDeleteFile") + "\n" + names,
                             MessageButton::Yes | MessageButton::No));
        EXPECT_EQ(static_cast<int>(left().model().markedRows().size()), marked - 1);
        EXPECT_FALSE(left().model().isMarked(rowOf(left(), "f1")));
        left().model().clearMarks();
    }
    EXPECT_EQ(entries("left"), 8u);

    show(PanelSide::Right, home.at("left")); // the other panel follows the delete
    select(left(), "f1");
    mark(left(), {"[link-row]", "f7"});
    messages->answerNext(MessageButton::Yes);
    QTest::keyClick(&left().grid(), Qt::Key_Delete);
    ASSERT_TRUE(pumpUntil([this] {
        return idle() && left().model().rowCount() == 7 && right().model().rowCount() == 7;
    }));
    EXPECT_EQ(readFile(home.at("outside/keep.txt")), "keep") << "a link row goes as a link";
    EXPECT_FALSE(std::filesystem::exists(home.at("left/f7")));
}

TEST_F(FileCommandsTest, MakeFolderPutsTheCursorOnItAlsoWhenItWasThere) {
    for (const char* answer : {"new", "new"}) {
        messages->answerTextNext(answer);
        QTest::keyClick(&left().grid(), Qt::Key_F7, Qt::ShiftModifier);
        ASSERT_TRUE(pumpUntil([this] {
            return idle() && left().model().rowCount() == 2 && left().model().currentRow() == 1;
        }));
        EXPECT_EQ(left().model().nameCell(1), "[new]");
    }
    ASSERT_EQ(messages->shown().size(), 2u) << "only the two questions, no failure";
    EXPECT_EQ(messages->shown()[0].title, tr("NewDirectory"));
    trigger("UtwKat1"); // cancelled: nothing happens
    EXPECT_TRUE(std::filesystem::is_directory(home.at("left/new")));
}

TEST_F(FileCommandsTest, RenameNeverReplacesAndNeverTouchesTheParentRow) {
    home.write("left/a.txt", "a");
    home.write("left/b.txt", "b");
    home.dir("left/folder");
    reread();
    EXPECT_EQ(action("ZmNazw1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
    EXPECT_TRUE(action("rozmiar1")->shortcut().isEmpty());

    select(left(), "a.txt");
    for (const char* taken : {"b.txt", "folder", "x/y"}) {
        messages->answerTextNext(taken);
        trigger("ZmNazw1");
    }
    reread();
    EXPECT_EQ(readFile(home.at("left/a.txt")) + readFile(home.at("left/b.txt")), "ab");
    EXPECT_EQ(lastBox(), tr("OperationNotAllowed") + "\n\nx/y");
    EXPECT_EQ(messages->shown().front().text, tr("NewName") + "\na.txt");

    select(left(), "[folder]");
    messages->answerTextNext("renamed");
    trigger("ZmNazw1");
    ASSERT_TRUE(pumpUntil(
        [this] { return idle() && WindowHarness::rowOf(PanelSide::Left, "[renamed]") == 1; }));
    EXPECT_TRUE(left().model().markedRows().empty());

    const std::size_t asked = messages->shown().size();
    select(left(), "[..]");
    trigger("ZmNazw1");
    EXPECT_EQ(messages->shown().size(), asked) << "\"[..]\" is never renamed";
}

TEST_F(FileCommandsTest, AttributesSetAndClearReadOnlyOnFilesAndFolders) {
    home.write("left/file", "f");
    home.dir("left/folder", 0755);
    reread();
    const auto change = [&](const char* row, bool readOnly, const char* button) {
        select(left(), row);
        answerAttributeDialog(readOnly, button);
        run("Zmieatrybuty1");
    };

    select(left(), "file");
    mark(left(), {"[folder]"});
    answerAttributeDialog(true, "SpeedButton1");
    child<QToolButton>("SpeedButton46")->click(); // the second toolbar's button
    ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    EXPECT_EQ(std::pair(mode("left/file"), mode("left/folder")), std::pair(0644u, 0555u))
        << "marked rows only";
    EXPECT_TRUE(left().model().markedRows().empty());

    change("[folder]", false, "SpeedButton1");
    EXPECT_EQ(mode("left/folder"), 0755u);
    change("file", true, "SpeedButton2");
    EXPECT_EQ(mode("left/file"), 0644u);
    EXPECT_TRUE(left().model().markedRows().empty()) << "Cancel unmarks the current row";
    change("[..]", true, "SpeedButton1");
    EXPECT_EQ(mode("left"), 0755u) << "\"[..]\" is never changed";
}

// Make folder, rename and attributes run on the local worker: while it is held (by a stalled
// mount, say) the window still takes them, and once it is free each is made, none lost.
TEST_F(FileCommandsTest, EntryChangesRunOnTheLocalWorkerAndWaitWhileItIsBusy) {
    home.write("left/a.txt", "a");
    home.write("left/c.txt", "c");
    reread();
    std::atomic<bool> release{false};
    holdUntil<cmd::LocalUp>(window->engine().localWorker(), release);
    ASSERT_TRUE(postWhenTaken(window->engine().localCommands(), cmd::LocalUp{}));
    messages->answerTextNext("new");
    trigger("UtwKat1");
    select(left(), "a.txt");
    messages->answerTextNext("b.txt");
    trigger("ZmNazw1");
    select(left(), "c.txt");
    answerAttributeDialog(true, "SpeedButton1");
    trigger("Zmieatrybuty1");
    EXPECT_EQ(std::tuple(std::filesystem::exists(home.at("left/new")),
                         std::filesystem::exists(home.at("left/a.txt")), mode("left/c.txt")),
              std::tuple(false, true, 0644u))
        << "nothing changes on the window's thread";

    release = true;
    const std::vector<std::string> changed{"[..]", "[new]", "b.txt", "c.txt"};
    EXPECT_TRUE(pumpUntil([&] {
        return idle() && names(PanelSide::Left) == changed && mode("left/c.txt") == 0444u;
    })) << testing::PrintToString(names(PanelSide::Left));
    EXPECT_EQ(messages->shown().size(), 2u) << "the two questions, no failure";
}

TEST_F(FileCommandsTest, DropsCopyLocalFilesAndTheOtherPanelsRowsOnly) {
    home.write("elsewhere/one:a\\b.txt", "one");
    home.write("elsewhere/tree/two.txt", "two");
    home.write("left/row.txt", "row");
    reread();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(home.at("elsewhere/one:a\\b.txt"))),
                   QUrl::fromLocalFile(QString::fromStdString(home.at("elsewhere/tree")))});
    EXPECT_TRUE(acceptsDrag(right(), files));
    drop(right(), files);
    ASSERT_TRUE(pumpUntil([this] { return idle() && right().model().rowCount() == 3; }));
    EXPECT_EQ(readFile(home.at("right/one:a\\b.txt")) + readFile(home.at("right/tree/two.txt")),
              "onetwo")
        << "named by its last component";
    EXPECT_TRUE(std::filesystem::exists(home.at("elsewhere/one:a\\b.txt"))) << "always a copy";

    QMimeData web, ownRows;
    web.setUrls({QUrl("http://example.org/x")});
    ownRows.setData(kPanelRowsMimeType, "right");
    EXPECT_FALSE(acceptsDrag(right(), web) || acceptsDrag(right(), ownRows));

    select(left(), "row.txt");
    QMimeData rows;
    rows.setData(kPanelRowsMimeType, "left");
    EXPECT_TRUE(acceptsDrag(right(), rows));
    drop(right(), rows);
    ASSERT_TRUE(pumpUntil([this] { return idle() && right().model().rowCount() == 4; }));
    EXPECT_EQ(readFile(home.at("right/row.txt")), "row");
}

TEST(PanelDrops, TakeLocalFileUrlsAsBytesWithoutATrailingSlash) {
    const QList<QUrl> urls{QUrl("file:///home/user/a%20b.txt"), QUrl("file://localhost/srv/data/"),
                           QUrl("file:///tmp/%FF%FE.bin"),      QUrl("file://otherhost/share/x"),
                           QUrl("http://example.org/y"),        QUrl("file:///")};
    EXPECT_EQ(localDropPaths(urls),
              (std::vector<std::string>{"/home/user/a b.txt", "/srv/data", "/tmp/\xff\xfe.bin"}));
}

} // namespace
