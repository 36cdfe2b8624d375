#include "local/local_explorer.h"

#include "settings/language_table.h"
#include "support/recording_frontend.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

// Reads with an empty language table, so the lines under a panel use the keys as words.
class LocalExplorerTest : public testing::Test {
protected:
    std::vector<std::string> names(const std::vector<tarvo::listing::SearchRecord>& records) {
        std::vector<std::string> result;
        for (const auto& record : records)
            result.push_back(record.Name);
        return result;
    }

    TempTree tree;
    RecordingFrontend screen;
    NamedMutex lock{"XMLMutex2"};
    LanguageTable texts{lock};
    LocalExplorer explorer{screen, texts, PanelSide::Left};
};

TEST_F(LocalExplorerTest, ShowsEveryEntryAndTheTotalsOfTheFiles) {
    tree.file(".x");
    tree.file("a.b", 100);
    tree.file("a.", 1);
    tree.file("huge.img", std::int64_t{5} << 30);
    tree.dir("folder");
    explorer.SetSortKey("name 1-0");
    EXPECT_EQ(explorer.ReadDir(tree.path(), true), tree.path());
    explorer.FillGrid();
    const PanelView view = screen.lastView();
    EXPECT_EQ(view.Path, tree.path());
    EXPECT_EQ(names(view.Listing->Dirs), std::vector<std::string>{"folder"});
    EXPECT_EQ(names(view.Listing->Files),
              (std::vector<std::string>{".x", "a.", "a.b", "huge.img"}));
    EXPECT_EQ(view.Totals, "Files 4 | Dirs 1 | Size 5242880KB");
    EXPECT_NE(view.Disk.find("Free: "), std::string::npos);
    EXPECT_EQ(view.Disk.back(), ' ');
}

TEST_F(LocalExplorerTest, AnEmptyFolderShowsZeroTotals) {
    explorer.ReadDir(tree.dir("empty"), true);
    explorer.FillGrid();
    EXPECT_EQ(screen.lastView().Totals, "Files 0 | Dirs 0 | Size 0KB");
}

TEST_F(LocalExplorerTest, AFolderThatCannotBeListedShowsDotDotAndNoEntries) {
    tree.file("x");
    explorer.ReadDir(tree.path(), true);
    EXPECT_EQ(explorer.ReadDir(tree.at("missing"), true), "..");
    EXPECT_EQ(explorer.GetPath(), tree.at("missing"));
    EXPECT_TRUE(explorer.GetListing()->Files.empty());
}

TEST_F(LocalExplorerTest, GoingUpPutsTheCursorOnTheFolderJustLeft) {
    tree.dir("a");
    tree.dir("a/b");
    tree.dir("a/c");
    explorer.SetPath(tree.at("a/b"));
    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
    EXPECT_TRUE(screen.lastView().FolderChanged);

    EXPECT_EQ(explorer.GoUp(), tree.at("a"));
    const PanelView up = screen.lastView();
    EXPECT_TRUE(up.FolderChanged);
    EXPECT_EQ(up.CursorFolder, "b");
    EXPECT_EQ(screen.pathLabels().back(), tree.at("a"));

    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
    EXPECT_FALSE(screen.lastView().FolderChanged) << "a refresh keeps the panel's row and marks";
}

TEST_F(LocalExplorerTest, TheRootHasNoParent) {
    explorer.SetPath("/");
    EXPECT_EQ(explorer.GoUp(), "/");
    EXPECT_TRUE(screen.views().empty());
    explorer.Open("[..]", 0x10);
    EXPECT_EQ(explorer.GetPath(), "/");
}

TEST_F(LocalExplorerTest, OpensFoldersByTheirRowAndFilesWithTheDesktop) {
    tree.dir("sub");
    tree.file("sub/note.txt");
    explorer.SetPath(tree.path());
    EXPECT_EQ(explorer.Open("[sub]", 0x10), 16);
    EXPECT_EQ(explorer.GetPath(), tree.at("sub"));
    EXPECT_EQ(explorer.Open("note.txt", 0x20), 32);
    EXPECT_EQ(screen.opened(), std::vector<std::string>{tree.at("sub/note.txt")});
}

TEST_F(LocalExplorerTest, AMaskPicksFilesAndFoldersAndMatchingNothingIsNoFailure) {
    tree.file("a.txt");
    tree.file("b.TXT");
    tree.file("c.dat");
    tree.dir("notes.txt");
    tree.dir("other");
    explorer.SetSortKey("name 1-0");
    EXPECT_EQ(explorer.ReadDir(tree.path(), true, "*.txt"), tree.path());
    EXPECT_EQ(names(explorer.GetListing()->Dirs), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(names(explorer.GetListing()->Files), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(explorer.ReadDir(tree.path(), true, "*.none"), tree.path());
    EXPECT_TRUE(explorer.GetListing()->Dirs.empty());
    EXPECT_TRUE(explorer.GetListing()->Files.empty());
}

TEST_F(LocalExplorerTest, EnteringAFolderRecordsThePanelsPathEvenWhenUnchanged) {
    tree.dir("sub");
    explorer.SetPath(tree.path());
    explorer.Open("[sub]", 0x10);
    explorer.Open("[.]", 0x10);
    explorer.Open("file", 0x20);
    EXPECT_EQ(screen.history(), (std::vector<std::string>{tree.at("sub"), tree.at("sub")}));
}

TEST_F(LocalExplorerTest, ASortClearsThePanelsMarksAndReordersTheLists) {
    tree.file("b", 1);
    tree.file("a", 3);
    tree.file("c", 2);
    explorer.ReadDir(tree.path(), true);
    explorer.Sort("size 1-0", true);
    EXPECT_EQ(screen.marksCleared(), 1);
    EXPECT_EQ(names(explorer.GetListing()->Files), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(explorer.GetSortKey(), "size 1-0");
    explorer.ReadDir(tree.path(), true);
    EXPECT_EQ(names(explorer.GetListing()->Files), (std::vector<std::string>{"a", "c", "b"}))
        << "the key applies to every later read";
}

TEST_F(LocalExplorerTest, DiskSpaceIsInWholeMebibytes) {
    explorer.SetPath(tree.path());
    const std::string free = explorer.GetDiskSpace("DiskFree");
    ASSERT_GE(free.size(), 4u);
    EXPECT_EQ(free.substr(free.size() - 3), "MB ");
    EXPECT_EQ(explorer.GetDiskSpace("diskfree"), "");
    explorer.SetPath(tree.at("no such folder"));
    EXPECT_EQ(explorer.GetDiskSpace("DiskSize"), "0MB ");
}

} // namespace
