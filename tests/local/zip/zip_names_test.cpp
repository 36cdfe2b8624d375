// Entry names: how they are written, decoded, cleaned and checked before extraction.

#include "local/zip/entry_names.h"
#include "local/zip/text_encoding.h"
#include "local/zip/zip_records.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tarvo::zip {
namespace {

using Components = std::vector<std::string>;

TEST(ArchiveNames, SeparatorsFolderSlashUtf8FlagForNonAsciiOnlyAndLengthsKeptOrRefused) {
    const struct {
        std::string given;
        bool folder;
        ZipResult result;
        std::string bytes;
        std::uint16_t flags;
    } cases[] = {
        {"dir\\sub\\file.txt", false, ZipOk, "dir/sub/file.txt", 0},
        {"dir\\sub", true, ZipOk, "dir/sub/", 0},
        {"dir/", true, ZipOk, "dir/", 0},
        {"Grüße.txt", false, ZipOk, "Grüße.txt", FlagUtf8Name},
        {"caf\xE9.txt", false, ZipOk, "caf\xE9.txt", 0}, // not UTF-8: kept, not claimed
        {std::string(65535, 'n'), false, ZipOk, std::string(65535, 'n'), 0},
        {std::string(65536, 'n'), false, ZipBadArguments, "", 0},
        {std::string("a\0b", 3), false, ZipBadArguments, "", 0},
        {"", false, ZipBadArguments, "", 0},
        {"", true, ZipBadArguments, "", 0},
    };
    for (const auto& c : cases) {
        ArchiveName name;
        ASSERT_EQ(makeArchiveName(c.given, c.folder, name), c.result) << c.given.substr(0, 20);
        if (c.result == ZipOk) {
            EXPECT_EQ(name.bytes, c.bytes);
            EXPECT_EQ(name.flags, c.flags) << c.given.substr(0, 20);
        }
    }
}

TEST(ArchiveNames, StoredExtensionsIgnoreCaseAndOnlyTheLastDotCounts) {
    for (const char* stored : {"photo.JPG.ZIP", "backup.tar.gz", "old.z"})
        EXPECT_TRUE(hasStoredExtension(stored)) << stored;
    for (const char* deflated : {"README", "x.gzip", "zip", "a.zip.txt", "dir.gz/f"})
        EXPECT_FALSE(hasStoredExtension(deflated)) << deflated;
}

TEST(EntryNames, CleaningDropsDrivePartsAndLeadingSlashesAndDecodesUtf8ElseCodePage437) {
    for (const auto& [stored, utf8Flag, cleaned] :
         {std::tuple{"C:\\..\\..\\file.txt", false, "../../file.txt"},
          {"/etc/passwd", false, "etc/passwd"},
          {"//C:/x/y", false, "x/y"},
          {"dir\\file.txt", false, "dir/file.txt"},
          {"a/../b", false, "a/../b"}, // refused later, not rewritten
          {"Gr\303\274\303\237e", false, "Grüße"},
          {"\201ber", false, "über"}, // CP437 0x81 is ü
          {"\201ber", true, "\201ber"},
          {"\xB0\xE1", false, "░ß"}})
        EXPECT_EQ(cleanEntryName(stored, utf8Flag), cleaned) << stored;
}

TEST(EntryNames, SafeComponentsRefuseEveryParentStep) {
    EXPECT_EQ(safeComponents("a/./b//c.txt"), (Components{"a", "b", "c.txt"}));
    EXPECT_EQ(safeComponents("dir/"), (Components{"dir"}));
    EXPECT_EQ(safeComponents("..foo/bar.."), (Components{"..foo", "bar.."}));
    EXPECT_EQ(safeComponents("./"), Components{});
    for (const char* unsafe : {"../x", "a/../../x", "a/..", "..", "./../x"})
        EXPECT_FALSE(safeComponents(unsafe).has_value()) << unsafe;
    EXPECT_FALSE(safeComponents(std::string("a\0b", 3)).has_value());
}

TEST(TextEncoding, Utf8ValidationRejectsOverlongsSurrogatesAndTruncation) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
    for (const char* invalid :
         {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80", "\xFF"})
        EXPECT_FALSE(isValidUtf8(invalid)) << invalid;
}

} // namespace
} // namespace tarvo::zip
