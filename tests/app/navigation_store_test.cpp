#include "app/navigation_store.h"

#include "support/file_content.h"
#include "support/file_size_limit.h"
#include "support/temp_tree.h"

#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include <sys/stat.h>

namespace {

using Lines = NavigationStore::Lines;

Lines numbered(int count, const std::string& prefix = "/d") {
    Lines lines;
    for (int i = 1; i <= count; ++i)
        lines.push_back(prefix + std::to_string(i));
    return lines;
}

class NavigationStoreTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Favorites.dat", "HistoryLeft.dat", "HistoryRight.dat"})
            folder.write(name, "");
    }
    Lines left() { return store.history(PanelSide::Left).value(); }

    TempTree folder;
    NavigationStore store{folder.path()};
};

TEST_F(NavigationStoreTest, HistoryKeepsTheNewestVisitsOnceEach) {
    struct Case {
        const char* what;
        Lines before;
        std::string visit;
        Lines after;
    };
    Lines full = numbered(27);
    Lines fullShifted(full.begin() + 1, full.end());
    fullShifted.push_back("/new");
    Lines fullRevisit(full.begin() + 1, full.end());
    fullRevisit.erase(fullRevisit.begin() + 4); // "/d6" moves to the end
    fullRevisit.push_back("/d6");
    Lines forty = numbered(40);
    Lines fortyShifted(forty.begin() + 1, forty.end());
    fortyShifted.push_back("/new");
    const Case cases[] = {
        {"a new visit is appended", {"/a", "/b"}, "/c", {"/a", "/b", "/c"}},
        {"a revisit moves to the end", {"/a", "/b", "/c"}, "/a", {"/b", "/c", "/a"}},
        {"case makes another line", {"/Data"}, "/data", {"/Data", "/data"}},
        {"a full history loses its oldest", full, "/new", fullShifted},
        {"a revisit of a full one keeps 26", full, "/d6", fullRevisit},
        {"a long file loses one line a visit", forty, "/new", fortyShifted},
    };
    for (const Case& c : cases) {
        folder.write("HistoryLeft.dat", crlfText(c.before));
        store.recordVisit(PanelSide::Left, c.visit);
        EXPECT_EQ(left(), c.after) << c.what;
    }
    EXPECT_EQ(readFile(folder.at("HistoryRight.dat")), "") << "the other panel's file";
}

TEST_F(NavigationStoreTest, FilesAreWrittenWithCrLfAndReadWithEitherEnding) {
    folder.write("HistoryLeft.dat", "/a\n\n/b\r\n\r\n/c");
    EXPECT_EQ(left(), (Lines{"/a", "/b", "/c"})) << "empty lines are skipped";
    store.recordVisit(PanelSide::Left, "/srv/a@b");
    EXPECT_EQ(readFile(folder.at("HistoryLeft.dat")), "/a\r\n/b\r\n/c\r\n/srv/a@b\r\n");
    // A name holding a line break would plant a line of its own: it is not recorded.
    store.recordVisit(PanelSide::Left, "/x\n/planted");
    store.recordVisit(PanelSide::Left, "/x\r");
    EXPECT_FALSE(store.addFavorite("/x\n/planted"));
    EXPECT_EQ(readFile(folder.at("HistoryLeft.dat")), "/a\r\n/b\r\n/c\r\n/srv/a@b\r\n");
    EXPECT_EQ(readFile(folder.at("Favorites.dat")), "");
}

// Special files and huge ones under the three names: nothing blocks, nothing is read or
// written, and each is named as a problem; a missing one is none.
TEST_F(NavigationStoreTest, FilesThatAreNoSmallRegularFilesAreLeftAloneAndReported) {
    const std::string history = folder.at("HistoryLeft.dat");
    const std::string favorites = folder.at("Favorites.dat");
    std::filesystem::remove(folder.at("HistoryRight.dat"));
    store.recordVisit(PanelSide::Right, "/a");
    const std::vector<std::function<void()>> makers = {
        [&] { ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0); },
        [&] { folder.symlink("HistoryLeft.dat", "/dev/zero"); },
        [&] { folder.dir("HistoryLeft.dat"); },
        [&] { folder.file("HistoryLeft.dat", kProgramFileLimit + 1); },
    };
    for (std::size_t i = 0; i < makers.size(); ++i) {
        std::filesystem::remove(history);
        std::filesystem::remove(favorites);
        makers[i]();
        EXPECT_FALSE(store.history(PanelSide::Left)) << i;
        store.recordVisit(PanelSide::Left, "/a");
        EXPECT_FALSE(store.addFavorite("/a")) << "a missing file is not created";
        EXPECT_FALSE(store.favorites().has_value());
        const auto problems = store.problems();
        ASSERT_EQ(problems.size(), 1u) << i;
        EXPECT_EQ(problems[0].rfind("The file " + history + " could not be read (", 0), 0u)
            << problems[0];
        EXPECT_FALSE(std::filesystem::exists(favorites));
    }
    EXPECT_EQ(std::filesystem::file_size(history), kProgramFileLimit + 1) << "left as it was";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no missing file was created";
}

TEST_F(NavigationStoreTest, TwoThreadsRecordingLoseNothing) {
    // Each thread's visits are distinct and fewer than the cap: all must survive.
    auto record = [this](const std::string& prefix) {
        for (int i = 0; i < 13; ++i)
            store.recordVisit(PanelSide::Left, prefix + std::to_string(i));
    };
    std::thread first(record, "/first/");
    std::thread second(record, "/second/");
    first.join();
    second.join();
    const Lines lines = left();
    EXPECT_EQ(lines.size(), 26u);
    for (int i = 0; i < 13; ++i)
        for (const char* prefix : {"/first/", "/second/"})
            EXPECT_NE(std::find(lines.begin(), lines.end(), prefix + std::to_string(i)),
                      lines.end());
}

TEST_F(NavigationStoreTest, AFailingWriteKeepsTheFile) {
    folder.write("HistoryLeft.dat", crlfText(numbered(20, "/a-rather-long-folder-name-")));
    const std::string before = readFile(folder.at("HistoryLeft.dat"));
    bool added = true;
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        store.recordVisit(PanelSide::Left, "/new");
        added = store.addFavorite(std::string(100, 'f'));
    }

    EXPECT_EQ(readFile(folder.at("HistoryLeft.dat")), before);
    EXPECT_FALSE(added);
    EXPECT_EQ(readFile(folder.at("Favorites.dat")), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3)
        << "no temporary file stays behind";
}

} // namespace
