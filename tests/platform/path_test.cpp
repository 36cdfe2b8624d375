#include "platform/posix/path.h"

#include <gtest/gtest.h>

TEST(Path, SplitsAtTheLastSlashAndJoinsWithOneSlash) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/a/b", "/a", "b"},   {"/a", "/", "a"},  {"/", "/", ""}, {"/a/", "/a", ""},
        {"a/b", "a", "b"},     {"a", "", "a"},    {"", "", ""},   {".", "", "."},
        {"/a/..", "/a", ".."}, {"//a", "/", "a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(nameOf(c.path), c.name) << c.path;
    }
    EXPECT_EQ(joinPath("/", "name"), "/name");
    EXPECT_EQ(joinPath("/home/user/", "name"), "/home/user/name");
    EXPECT_EQ(joinPath("/home/user", "name"), "/home/user/name");
    EXPECT_EQ(joinPath("", "name"), "name");
}
