// Navigation driven as a user drives it: the header strip, drive boxes, history, favourites and
// special folders, in a window over a scratch program folder and home folder.
#include "main/favorites_organizer.h"
#include "main/window_harness.h"
#include "platform/mount_table.h"

#include "support/file_content.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class NavigationTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        program.write("config/lista.txt", "mirror\r\n");
        for (const char* name : {"alpha", "beta.txt", "papers"})
            home.dir(name);
        for (const char* name : {"a.txt", "b.TXT", "c.dat"})
            home.file(name);
        ASSERT_TRUE(open());
    }
    void TearDown() override {
        for (QWidget* organizer : window->findChildren<TOKRightDlg1234567*>())
            organizer->close();
    }

    std::vector<std::string> rows(PanelSide side) {
        std::vector<std::string> names;
        for (int row = 0; row < panel(side).model().rowCount(); ++row)
            names.push_back(panel(side).model().nameCell(row));
        return names;
    }
    void applyMask(PanelSide side, const char* mask) {
        QComboBox* box = panel(side).widgets().maskBox;
        typeInto(box, mask);
        WindowHarness::press(Qt::Key_Return);
    }
    Lines history(PanelSide side) {
        return crlfLines(
            program.at(side == PanelSide::Left ? "HistoryLeft.dat" : "HistoryRight.dat"));
    }
    QMenu* navigator() { return window->findChild<QMenu*>("Navigator1"); }
    std::vector<std::string> favoriteCaptions() {
        std::vector<std::string> captions;
        const QList<QAction*> items = navigator()->actions();
        for (qsizetype i = 8; i < items.size(); ++i)
            captions.push_back(items[i]->text().toStdString());
        return captions;
    }
};

TEST_F(NavigationTest, TheMaskBoxFiltersFilesAndFoldersOnEnter) {
    applyMask(PanelSide::Left, "*.txt");
    ASSERT_TRUE(showing(PanelSide::Left, home.path(), 4));
    EXPECT_EQ(rows(PanelSide::Left), (Lines{"[..]", "[beta.txt]", "a.txt", "b.TXT"}));

    applyMask(PanelSide::Left, "*.none");
    ASSERT_TRUE(showing(PanelSide::Left, home.path(), 1)) << "an empty panel, not a failure";
    EXPECT_EQ(rows(PanelSide::Left), Lines{"[..]"});

    applyMask(PanelSide::Right, "<>");
    ASSERT_TRUE(showing(PanelSide::Right, home.path(), 3));
    EXPECT_EQ(rows(PanelSide::Right), (Lines{"[..]", "[alpha]", "[papers]"}));
    EXPECT_EQ(rows(PanelSide::Left), Lines{"[..]"}) << "each box filters its own panel";
    EXPECT_EQ(panel(PanelSide::Left).widgets().maskBox->count(), 8) << "Enter adds no item";
}

TEST_F(NavigationTest, DriveBoxesListTheMountsAndFollowTheirPanel) {
    const std::vector<Drive> drives = readDriveTable();
    QComboBox* box = window->findChild<QComboBox*>("ComboBox4");
    ASSERT_EQ(box->count(), static_cast<int>(drives.size()));
    const std::size_t homeDrive = driveIndexOf(drives, home.path()).value();
    EXPECT_EQ(box->currentText().toStdString(), driveItemText(drives[homeDrive]));

    trigger("Disk1"); // Ctrl+D
    EXPECT_TRUE(pumpUntil([&] { return box->hasFocus(); }));
    WindowHarness::press(Qt::Key_Return);
    EXPECT_TRUE(pumpUntil([&] { return panel(PanelSide::Left).grid().hasFocus(); }));

    // The right panel's "\" lists the root of its own file system.
    click(panel(PanelSide::Right).widgets().rootButton);
    const std::string rightRoot = drives[homeDrive].MountPoint;
    ASSERT_TRUE(showing(PanelSide::Right, rightRoot));
    EXPECT_EQ(window->activePanelNumber(), 1);
    EXPECT_EQ(std::pair(history(PanelSide::Right), history(PanelSide::Left)),
              std::pair(Lines{rightRoot}, Lines{}));
}

TEST_F(NavigationTest, BackAndForwardWalkThePanelsHistory) {
    const std::string a = home.dir("alpha/a");
    const std::string data = home.dir("alpha/Data");
    const std::string lower = home.dir("alpha/data");
    program.write("HistoryLeft.dat", crlfText({a, data, lower}));

    struct Step {
        const char* command;
        std::string expected;
    };
    const Step steps[] = {
        {"Back1", lower},                 // the current folder is not in the history: the newest
        {"Back1", data},                  // names differing in case are different folders
        {"Back1", a},       {"Back1", a}, // nothing before the oldest
        {"Forward1", data}, {"Forward1", lower}, {"Forward1", lower},
    };
    for (const Step& step : steps) {
        trigger(step.command);
        ASSERT_TRUE(showing(PanelSide::Left, step.expected))
            << step.command << " " << step.expected;
    }
    EXPECT_EQ(history(PanelSide::Left), (Lines{a, data, lower})) << "walking records nothing";

    program.write("HistoryLeft.dat", crlfText({a, data}));
    panel(PanelSide::Left).explorer().SetPath(home.path());
    trigger("Forward1");
    EXPECT_TRUE(showing(PanelSide::Left, a)) << "not in the history: the oldest";
}

TEST_F(NavigationTest, TheHistoryMenuShowsTheActivePanelsVisits) {
    const std::string odd = home.dir("Tom & Jerry");
    program.write("HistoryRight.dat", crlfText({odd, home.path(), "/pub@mirror"}));
    click(panel(PanelSide::Right).widgets().historyButton);
    auto* menu = window->findChild<QMenu*>("MenuHistoryLeft");
    ASSERT_TRUE(pumpUntil([&] { return menu->isVisible(); }));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text() + "|" + items[2]->statusTip(),
              QString::fromStdString(home.at("Tom && Jerry") + "|/pub@mirror"));
    EXPECT_EQ(items[1], menu->defaultAction()) << "the current folder";
    menu->hide();
}

TEST_F(NavigationTest, FavoritesFollowTheFileInTheMenu) {
    EXPECT_EQ(navigator()->actions().size(), 7) << "no separator without favourites";
    home.dir("a@b");
    program.write("Favorites.dat", crlfText({home.at("a@b"), "/pub@mirror"}));
    window->RebuildFavoritesMenu();
    ASSERT_EQ(navigator()->actions().size(), 10);
    EXPECT_TRUE(navigator()->actions()[7]->isSeparator());
    EXPECT_EQ(favoriteCaptions(), (Lines{"a@b", "pub@mirror"}));

    trigger("AddtoFavorites1");
    trigger("AddtoFavorites1");
    EXPECT_EQ(crlfLines(program.at("Favorites.dat")),
              (Lines{home.at("a@b"), "/pub@mirror", home.path()}));
    EXPECT_EQ(favoriteCaptions().size(), 3u);

    // Without a saved site "b", ".../a@b" is a local folder.
    navigator()->actions()[8]->trigger();
    EXPECT_TRUE(showing(PanelSide::Left, home.at("a@b")));
    // A listed site without a saved record cannot be opened: refused, nothing changes.
    navigator()->actions()[9]->trigger();
    ASSERT_TRUE(pumpUntil([&] { return !messages->shown().empty(); }));
    EXPECT_EQ(messages->shown().back().text, "Operation not allowed\n\nmirror");
    EXPECT_EQ(path(PanelSide::Left), home.at("a@b"));
}

TEST_F(NavigationTest, OrganizersChangeTheFileAsItIsNow) {
    program.write("Favorites.dat", crlfText({"/a", "/b", "/c"}));
    trigger("OrganizeFavorites1");
    trigger("OrganizeFavorites1");
    const QList<TOKRightDlg1234567*> organizers = window->findChildren<TOKRightDlg1234567*>();
    ASSERT_EQ(organizers.size(), 2);
    TOKRightDlg1234567& first = *organizers[0];
    TOKRightDlg1234567& second = *organizers[1];
    // Chooses the row (-1: none) and presses the button: 1 delete, 2 up, 3 down.
    const auto press = [](TOKRightDlg1234567& organizer, int row, const char* button) {
        organizer.ListBox1->setCurrentRow(row);
        organizer.findChild<QToolButton*>(button)->click();
    };
    const auto file = [this] { return crlfLines(program.at("Favorites.dat")); };
    const auto entries = [](TOKRightDlg1234567& organizer) {
        QStringList texts;
        for (int row = 0; row < organizer.ListBox1->count(); ++row)
            texts << organizer.ListBox1->item(row)->text();
        return texts;
    };

    press(first, 2, "SpeedButton2");
    EXPECT_EQ(file(), (Lines{"/a", "/c", "/b"}));
    EXPECT_EQ(entries(second), (QStringList{"/a", "/c", "/b"})) << "the other organiser follows";
    EXPECT_EQ(first.ListBox1->currentRow(), 1);

    trigger("AddtoFavorites1"); // from the menu, while both are open
    EXPECT_EQ(second.ListBox1->count(), 4);
    press(second, 3, "SpeedButton1"); // the new one goes again
    EXPECT_EQ(file(), (Lines{"/a", "/c", "/b"}));

    // Someone else changed the file; the organiser's own list is older than the file.
    program.write("Favorites.dat", crlfText({"/z", "/a", "/c", "/b"}));
    press(first, first.ListBox1->currentRow(), "SpeedButton1"); // "/c", still chosen at row 1
    EXPECT_EQ(file(), (Lines{"/z", "/a", "/b"}));
    EXPECT_EQ(favoriteCaptions(), (Lines{"z", "a", "b"}));

    press(first, 0, "SpeedButton2");  // up at the top
    press(first, 2, "SpeedButton3");  // down at the bottom
    press(first, -1, "SpeedButton1"); // nothing chosen
    press(first, -1, "SpeedButton3");
    EXPECT_EQ(file(), (Lines{"/z", "/a", "/b"}));

    for (int i = 0; i < 3; ++i)
        press(first, 0, "SpeedButton1");
    EXPECT_EQ(file(), Lines{});
    EXPECT_EQ(navigator()->actions().size(), 7) << "the last one takes the separator along";
}

TEST_F(NavigationTest, SpecialFoldersOpenFromTheUsersFolderNames) {
    home.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/papers\"\n"
                                         "XDG_DESKTOP_DIR=\"$HOME/Gone\"\n");
    EXPECT_FALSE(action("FAVORITES1")->isVisible() || action("CSIDLRECENT1")->isVisible());
    trigger("MyDocuments1");
    ASSERT_TRUE(showing(PanelSide::Left, home.at("papers"), 1));

    trigger("Desktop1");
    ASSERT_TRUE(pumpUntil([&] { return !messages->shown().empty(); }));
    EXPECT_EQ(messages->shown().back().text, "Operation not allowed\n\n" + home.at("Gone"));
    EXPECT_TRUE(showing(PanelSide::Left, home.at("papers"), 1)) << "nothing changes";
}

} // namespace
