#include "platform/name_mask.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* mask;
    const char* name;
    bool matches;
};

TEST(NameMask, MatchesAsTheMaskBoxesPromise) {
    const Case cases[] = {
        {"*.*", "README", true}, // every name, also without a dot
        {"*.*", ".bashrc", true},
        {"*.*", "a.b.c", true},
        {"*.txt", "a.txt", true},
        {"*.txt", "A.TXT", true}, // letter case is ignored
        {"*.TXT", "notes.txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "txt", false},
        {"*", "", true},
        {"a?c", "abc", true},
        {"a?c", "a.c", true},
        {"a?c", "ac", false},
        {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbx", false},
        {"**", "anything", true},
        {"<>", "README", true}, // names without a dot
        {"<>", "notes.txt", false},
        {"<>", "a.b.c", false},
        {"<>", ".hidden", false},
        {"<", "Makefile", true},
        {"<.txt", "a.b.txt", true}, // "<" runs up to the last dot
        {"<.txt", "a.txt.bak", false},
        {"<.gz", "x.tar.gz", true},
        {"a>", "a", true},
        {"a>", "ab", true},
        {"a>", "abc", false},
        {"a>.c", "a.c", true},
        {"a>.c", "ab.c", true},
        {"[ab].txt", "[ab].txt", true}, // brackets are plain characters
        {"[ab].txt", "a.txt", false},
        {"\"x\"", "\"x\"", true},
        {"ÄRGER*", "ärger_1.txt", true}, // beyond ASCII too
        {"*.jpg", "bild.JPG", true},
        {"straße", "STRASSE", false},
        {"*\xff*",
         "a\xff"
         "b",
         true}, // bytes that are not UTF-8 stand for themselves
        {"*\xff*",
         "a\xfe"
         "b",
         false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameMask(c.mask).matches(c.name), c.matches)
            << "mask \"" << c.mask << "\", name \"" << c.name << "\"";
}

TEST(NameMask, OnlyStarDotStarMatchesEverythingWithoutLooking) {
    EXPECT_TRUE(NameMask("*.*").matchesEverything());
    EXPECT_FALSE(NameMask("*").matchesEverything());
    EXPECT_FALSE(NameMask("").matchesEverything());
    EXPECT_FALSE(NameMask("").matches("a"));
}

} // namespace
