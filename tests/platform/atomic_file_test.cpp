#include "platform/atomic_file.h"

#include "support/file_content.h"
#include "support/file_size_limit.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

std::size_t entriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(AtomicFile, ReplacesTheContentAndKeepsThePermissions) {
    TempTree tree;
    const std::string path = tree.write("kept.dat", "old\r\n");
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(replaceFileContent(path, "new\r\n"), "");
    EXPECT_EQ(readFile(path), "new\r\n");
    struct stat status {};
    ::stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(entriesIn(tree.path()), 1u);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    TempTree tree;
    const std::string path = tree.write("kept.dat", "old content\r\n");
    std::string error;
    {
        const FileSizeLimit limit(4);
        ASSERT_TRUE(limit.active());
        error = replaceFileContent(path, "a much longer new content\r\n");
    }

    EXPECT_NE(error, "");
    EXPECT_EQ(readFile(path), "old content\r\n");
    EXPECT_EQ(entriesIn(tree.path()), 1u);
}

} // namespace
