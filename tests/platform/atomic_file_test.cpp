#include "platform/atomic_file.h"

#include "support/file_content.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
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
    // A file size limit makes the write itself fail, for root as for anyone.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = replaceFileContent(path, "a much longer new content\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_NE(error, "");
    EXPECT_EQ(readFile(path), "old content\r\n");
    EXPECT_EQ(entriesIn(tree.path()), 1u);
}

} // namespace
