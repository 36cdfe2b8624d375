#include "local/local_explorer.h"

#include "local/disk_space.h"
#include "local/listing/listing_sort.h"
#include "local/listing/record_names.h"
#include "settings/language_table.h"
#include "support/recording_frontend.h"
#include "support/temp_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <random>
#include <sys/statvfs.h>
#include <thread>
#include <tuple>

namespace listing = tarvo::listing;

namespace {

// Reads with an empty language table, so the lines under a panel use the keys as words.
class LocalExplorerTest : public testing::Test {
protected:
    TempTree tree;
    RecordingFrontend screen;
    LanguageTable texts;
    LocalExplorer explorer{screen, texts, PanelSide::Left};
};

TEST_F(LocalExplorerTest, ShowsEveryEntryAndTheTotalsAndDiskLinesInTheShippedEnglish) {
    LanguageTable english;
    ASSERT_EQ(
        english.load(std::string(std::getenv("TARVO_SOURCE_DIR")) + "/resources/lang/English.xml"),
        std::nullopt);
    tree.file(".x");
    tree.file("a.b", 100);
    tree.file("a.", 1);
    tree.file("huge.img", std::int64_t{5} << 30);
    tree.dir("folder");
    LocalExplorer shipped(screen, english, PanelSide::Left);
    shipped.SetSortKey("name 1-0");
    EXPECT_EQ(shipped.ReadDir(tree.path(), true), tree.path());
    shipped.FillGrid();
    const PanelView view = screen.lastView();
    EXPECT_EQ(view.Path, tree.path());
    EXPECT_EQ(namesOf(view.Listing->Dirs), std::vector<std::string>{"folder"});
    EXPECT_EQ(namesOf(view.Listing->Files),
              (std::vector<std::string>{".x", "a.", "a.b", "huge.img"}));
    EXPECT_EQ(view.Totals, "Files 4 | Dirs 1 | Size 5242880KB");
    EXPECT_THAT(view.Disk, testing::MatchesRegex("Free: [0-9]+MB Used: [0-9]+MB "));
    EXPECT_EQ(shipped.GetDiskSpace("diskfree"), "");
    shipped.SetPath(tree.at("no such folder"));
    EXPECT_EQ(shipped.GetDiskSpace("DiskSize"), "0MB ");
}

TEST_F(LocalExplorerTest, GoingUpPutsTheCursorOnTheFolderJustLeftAndStopsAtTheRoot) {
    tree.dir("a");
    tree.dir("a/b");
    tree.dir("a/c");
    explorer.SetPath(tree.at("a/b"));
    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
    EXPECT_TRUE(screen.lastView().FolderChanged);

    EXPECT_EQ(explorer.GoUp(), tree.at("a"));
    const PanelView up = screen.lastView();
    EXPECT_EQ(std::tie(up.FolderChanged, up.CursorFolder, up.PathLabel),
              std::tuple(true, "b", tree.at("a")));

    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
    EXPECT_FALSE(screen.lastView().FolderChanged) << "a refresh keeps the panel's row and marks";

    const std::size_t shown = screen.views().size();
    explorer.SetPath("/");
    EXPECT_EQ(explorer.GoUp(), "/") << "the root has no parent";
    EXPECT_EQ(screen.views().size(), shown);
}

TEST_F(LocalExplorerTest, OpensFoldersByTheirPathRecordingThePathAndFilesWithTheDesktop) {
    tree.dir("sub");
    tree.file("sub/note.txt");
    explorer.SetPath(tree.path());
    EXPECT_EQ(explorer.Open(tree.at("sub"), 0x10), 16);
    EXPECT_EQ(explorer.GetPath(), tree.at("sub"));
    EXPECT_EQ(explorer.Open(tree.at("sub"), 0x10), 16);
    EXPECT_EQ(explorer.Open(tree.at("sub/note.txt"), 0x20), 32);
    EXPECT_EQ(screen.opened(), std::vector<std::string>{tree.at("sub/note.txt")});
    EXPECT_EQ(screen.history(), (std::vector<std::string>{tree.at("sub"), tree.at("sub")}))
        << "entering a folder records the panel's path even when unchanged";
}

TEST_F(LocalExplorerTest, ASortClearsThePanelsMarksAndReordersTheLists) {
    tree.file("b", 1);
    tree.file("a", 3);
    tree.file("c", 2);
    explorer.ReadDir(tree.path(), true);
    explorer.Sort("size 1-0", true);
    EXPECT_EQ(screen.marksCleared(), 1);
    EXPECT_EQ(namesOf(explorer.GetListing()->Files), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(explorer.GetSortKey(), "size 1-0");
    explorer.ReadDir(tree.path(), true);
    EXPECT_EQ(namesOf(explorer.GetListing()->Files), (std::vector<std::string>{"a", "c", "b"}))
        << "the key applies to every later read";
}

TEST_F(LocalExplorerTest, AFolderOnAMediumThatIsNotReadyStaysThePathSoGoingUpWorks) {
    tree.dir("stick");
    tree.file("stick/photo.jpg");
    const std::string stick = tree.at("stick");
    for (const int error : {ENOMEDIUM, EIO, ENOTCONN, ESTALE, ENOENT}) {
        listing::DirectoryCalls pulledOut;
        pulledOut.open = [stick, error](const char* path) -> DIR* {
            if (path == stick) {
                errno = error;
                return nullptr;
            }
            return ::opendir(path);
        };
        RecordingFrontend panel;
        LocalExplorer failing(panel, texts, PanelSide::Right, pulledOut);
        failing.SetPath(tree.path());
        failing.Open(stick, 0x10);
        const PanelView view = panel.lastView();
        EXPECT_EQ(std::tuple(failing.GetPath(), view.PathLabel,
                             view.Listing->Dirs.size() + view.Listing->Files.size()),
                  std::tuple(stick, "..", 0u))
            << error;
        const std::string up = failing.GoUp();
        EXPECT_EQ(std::tuple(up, panel.lastView().PathLabel, panel.lastView().CursorFolder),
                  std::tuple(tree.path(), tree.path(), "stick"))
            << error;
    }
}

TEST_F(LocalExplorerTest, AReadFailingPartWayShowsWhatWasReadAndSaysSo) {
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        tree.file(name, 2048);
    int delivered = 0;
    listing::DirectoryCalls failing;
    failing.next = [&delivered](DIR* dir) -> dirent* {
        if (delivered == 3) {
            errno = EIO;
            return nullptr;
        }
        dirent* entry = ::readdir(dir);
        if (entry != nullptr && entry->d_name[0] != '.')
            ++delivered;
        return entry;
    };
    LocalExplorer partial(screen, texts, PanelSide::Left, failing);
    EXPECT_EQ(partial.ReadDir(tree.path(), true), tree.path());
    partial.FillGrid();
    const PanelView view = screen.lastView();
    EXPECT_EQ(std::tuple(view.Listing->Files.size(), view.PathLabel, view.Totals),
              std::tuple(3u, tree.path(), "Files 3 | Dirs 0 | Size 6KB"));
    const auto shown = screen.script().shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(
        std::tie(shown[0].title, shown[0].text, shown[0].buttons),
        std::tuple("Tarvo Manager",
                   "Could not load full file list.\n\n" + tree.path() + "\nInput/output error",
                   MessageButton::Ok));
}

TEST_F(LocalExplorerTest, TheOrderShownFollowsAHeaderSortThatCameDuringARead) {
    // The sort lands at a different moment of the read each round; whichever comes last, the
    // lists and the last listing on the screen are in the order of the key in force.
    for (int i = 0; i < 1000; ++i)
        tree.file("f" + std::to_string(i));
    const QCollator collator = listing::nameCollator(QLocale::system());
    const auto inOrderOf = [&](const listing::DirectoryListing& shown, const std::string& key) {
        listing::DirectoryListing expected = shown;
        listing::sortListing(expected, key, collator);
        return namesOf(shown.Files) == namesOf(expected.Files);
    };
    explorer.SetSortKey("name 0-1");
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        const std::string key = round % 2 ? "name 0-1" : "name 1-0";
        std::thread reader([&] {
            explorer.ReadDir(tree.path(), true);
            explorer.FillGrid();
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        explorer.Sort(key, true);
        explorer.FillGrid();
        reader.join();
        ASSERT_EQ(explorer.GetSortKey(), key);
        ASSERT_TRUE(inOrderOf(*explorer.GetListing(), key)) << "round " << round;
        ASSERT_TRUE(inOrderOf(*screen.lastView().Listing, key)) << "round " << round;
    }
}

TEST(DiskSpace, UsedCountsTheBlocksInUseAndFreeWhatAUserMayWrite) {
    // Block size, blocks, free blocks, blocks a user may take; bytes used and free.
    const std::tuple<unsigned long, unsigned long, unsigned long, unsigned long, std::int64_t,
                     std::int64_t>
        cases[] = {
            {4096, 1000, 300, 200, 700 * 4096, 200 * 4096}, // blocks reserved for root
            {1024, 500, 500, 500, 0, 500 * 1024},           // empty, nothing reserved
            {4096, 66053021, 61542048, 20573324, std::int64_t{4510973} * 4096,
             std::int64_t{20573324} * 4096}, // a large disk with a big reserve
        };
    for (const auto& [frsize, blocks, bfree, bavail, used, free] : cases) {
        struct statvfs info {};
        std::tie(info.f_frsize, info.f_blocks, info.f_bfree, info.f_bavail) =
            std::tie(frsize, blocks, bfree, bavail);
        const DiskSpace space = diskSpaceFrom(info);
        EXPECT_EQ(std::pair(space.Used, space.Free), std::pair(used, free)) << blocks;
    }
}

} // namespace
