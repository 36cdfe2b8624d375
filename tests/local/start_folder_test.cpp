#include "local/start_folder.h"

#include "support/as_nobody.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

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

    // A locked folder, as an unprivileged user: no permission bit stops root.
    const std::string locked = tree.dir("data/locked", 0);
    EXPECT_EQ(runAsNobody([&] { return nearestListableFolder(locked); }), tree.at("data"));
}

} // namespace
