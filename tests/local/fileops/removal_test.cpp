// Deleting trees: links are removed as links, and only the entries asked for go.
#include "local/fileops/entry_ops.h"
#include "local/fileops/removal.h"

#include "fileops/test_host.h"
#include "fileops/tree_summary.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fileops = tarvo::fileops;
using tarvo::UniqueFd;

namespace {

bool removeEntry(TestHost& host, const std::string& folder, const std::string& name) {
    const UniqueFd fd = fileops::openFolder(folder);
    return fileops::Removal(host, host.stop.get_token()).run({fd.get(), folder}, name);
}

TEST(Removal, TakesTreesWithOddNamesAndNeverWhatALinkLeadsTo) {
    TempTree tree;
    tree.write("outside/keep.txt", "keep");
    tree.symlink("link-row", tree.at("outside"));
    tree.write("victim/.x", "x");
    tree.write("victim/a.", "a");
    tree.write("victim/x", "x");
    tree.write("victim/deep/er/file", "f");
    tree.symlink("victim/to-outside", tree.at("outside"));
    tree.symlink("victim/deep/up", "..");
    ::chmod(tree.write("victim/read-only", "r").c_str(), 0444);
    const std::string outside = treeSummary(tree.at("outside"));

    TestHost host;
    EXPECT_TRUE(removeEntry(host, tree.path(), "link-row"));
    EXPECT_TRUE(removeEntry(host, tree.path(), "victim"));

    EXPECT_TRUE(host.failures.empty());
    EXPECT_FALSE(std::filesystem::exists(tree.at("victim")));
    EXPECT_FALSE(std::filesystem::is_symlink(tree.at("link-row")));
    EXPECT_EQ(treeSummary(tree.at("outside")), outside);
}

TEST(Removal, AStopLeavesTheFolderWithWhatIsLeft) {
    TempTree tree;
    for (const char* name : {"one", "two", "three"})
        tree.write(std::string("folder/") + name, name);

    TestHost host;
    host.stop.request_stop();
    EXPECT_FALSE(removeEntry(host, tree.path(), "folder"));

    EXPECT_TRUE(host.failures.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.at("folder")), {}), 3);
}

TEST(EntryOps, ARenameNeverReplaces) {
    TempTree tree;
    tree.write("a.txt", "a");
    tree.write("b.txt", "b");
    tree.write("folder/inside", "i");
    tree.dir("other");
    const UniqueFd fd = fileops::openFolder(tree.path());

    const std::pair<const char*, const char*> clashes[] = {
        {"a.txt", "b.txt"}, {"a.txt", "folder"}, {"folder", "other"}, {"folder", "a.txt"}};
    for (const auto& [from, to] : clashes)
        EXPECT_EQ(fileops::renameEntry(fd.get(), from, to), EEXIST) << from << " -> " << to;
    EXPECT_EQ(readFile(tree.at("a.txt")), "a");
    EXPECT_EQ(readFile(tree.at("b.txt")), "b");
    EXPECT_EQ(readFile(tree.at("folder/inside")), "i");

    EXPECT_EQ(fileops::renameEntry(fd.get(), "folder", "renamed"), 0);
    EXPECT_EQ(readFile(tree.at("renamed/inside")), "i");
}

TEST(EntryOps, ReadOnlyClearsEveryWriteBitAndItsEndGivesTheOwnerOne) {
    TempTree tree;
    ::chmod(tree.write("file", "f").c_str(), 0664);
    tree.dir("folder", 0775);
    tree.write("target", "t");
    tree.symlink("link", "target");
    const UniqueFd fd = fileops::openFolder(tree.path());
    const auto mode = [&](const char* name) {
        struct stat status {};
        ::lstat(tree.at(name).c_str(), &status);
        return status.st_mode & 07777;
    };

    struct Step {
        const char* name;
        bool readOnly;
        mode_t expected;
    };
    for (const Step& step : {Step{"file", true, 0444}, Step{"file", false, 0644},
                             Step{"folder", true, 0555}, Step{"folder", false, 0755}}) {
        EXPECT_EQ(fileops::setReadOnly(fd.get(), step.name, step.readOnly), 0);
        EXPECT_EQ(mode(step.name), step.expected) << step.name << " " << step.readOnly;
    }
    const mode_t target = mode("target");
    EXPECT_EQ(fileops::setReadOnly(fd.get(), "link", true), 0);
    EXPECT_EQ(mode("target"), target) << "a link's target is not changed through it";
}

TEST(EntryOps, MakingAFolderTellsMadeFromThereAndFailed) {
    TempTree tree;
    tree.dir("there");
    tree.write("file", "f");
    const UniqueFd fd = fileops::openFolder(tree.path());
    EXPECT_EQ(fileops::makeFolder(fd.get(), "new"), fileops::MakeFolderResult::Made);
    EXPECT_EQ(fileops::makeFolder(fd.get(), "there"), fileops::MakeFolderResult::Exists);
    EXPECT_EQ(fileops::makeFolder(fd.get(), ""), fileops::MakeFolderResult::Exists);
    EXPECT_EQ(fileops::makeFolder(fd.get(), "file"), fileops::MakeFolderResult::Failed);
    EXPECT_EQ(fileops::makeFolder(fd.get(), "missing/new"), fileops::MakeFolderResult::Failed);
}

} // namespace
