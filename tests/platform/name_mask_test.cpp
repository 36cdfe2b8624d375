#include "platform/name_mask.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* mask;
    const char* name;
    bool matches;
};

TEST(NameMask, MatchesAsTheMaskBoxesPromiseAndOnlyStarDotStarWithoutLooking) {
    const Case cases[] = {
        {"*.*", "README", true}, // every name, also without a dot
        {"*.*", ".bashrc", true},
        {"*.txt", "a.txt", true},
        {"*.txt", "A.TXT", true}, // letter case is ignored
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
        {"a>", "a", true},
        {"a>", "ab", true},
        {"a>", "abc", false},
        {"a>.c", "ab.c", true},
        {"[ab].txt", "[ab].txt", true}, // brackets are plain characters
        {"[ab].txt", "a.txt", false},
        {"\"x\"", "\"x\"", true},
        {"ÄRGER*", "ärger_1.txt", true}, // beyond ASCII too
        {"straße", "STRASSE", false},
        {"*\xff*", "a\377b", true}, // bytes that are not UTF-8 stand for themselves
        {"*\xff*", "a\376b", false},
        {"\xc0\xaa", "anything", false}, // an overlong "*" is two bytes, not a wildcard
        {"\xc0\xaa", "\xc0\xaa", true},
        {"*.txt", "x.tx\xc1\xb4", false}, // nor is an overlong "t" a "t"
        {"*\xe0\x80\xaa", "a*", false},
        {"?", "\xed\xa0\x80", false}, // a surrogate is three bytes
        {"???", "\xed\xa0\x80", true},
        {"?", "\xf4\x90\x80\x80", false}, // as is a code point past U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameMask(c.mask).matches(c.name), c.matches)
            << "mask \"" << c.mask << "\", name \"" << c.name << "\"";
    // Only "*.*" matches everything without looking.
    EXPECT_TRUE(NameMask("*.*").matchesEverything());
    EXPECT_FALSE(NameMask("*").matchesEverything());
    EXPECT_FALSE(NameMask("").matchesEverything());
    EXPECT_FALSE(NameMask("").matches("a"));
}

} // namespace
