#include "local/start_folder.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(StartFolder, NoAbsolutePathGivesHomeAndAGoneOrLockedFolderItsNearestListableAncestor) {
    TempTree tree;
    const std::string home = tree.dir("home");
    tree.dir("data");
    const std::string kept = tree.dir("data/kept");
    tree.file("data/kept/file.txt");
    const std::pair<std::string, std::string> cases[] = {
        {"", home},
        {" ", home},
        {"relative/folder", home},
        {kept + "/", kept},
        {kept + "/../kept", kept},
        {kept + "/gone/deeper", kept},
        {kept + "/file.txt", kept},
        {"/", "/"},
    };
    for (const auto& [stored, folder] : cases)
        EXPECT_EQ(nearestListableFolder(startFolderOf(stored, home)), folder) << stored;

    // A locked folder, as the unprivileged user "nobody" in a child process: no permission bit
    // stops root.
    const std::string locked = tree.dir("data/locked", 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                  ::setgid(65534) == 0 && ::setuid(65534) == 0);
        ::_exit(!dropped ? 2 : nearestListableFolder(locked) == tree.at("data") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
