// Entry names: how they are written, decoded, cleaned and checked before extraction.

#include "local/zip/entry_names.h"
#include "local/zip/text_encoding.h"
#include "local/zip/zip_records.h"

#include <gtest/gtest.h>

namespace tarvo::zip {
namespace {

using Components = std::vector<std::string>;

TEST(ArchiveNames, SeparatorsFolderSlashAndUtf8FlagForNonAsciiOnly) {
    ArchiveName name;
    ASSERT_EQ(makeArchiveName("dir\\sub\\file.txt", false, name), ZipOk);
    EXPECT_EQ(name.bytes, "dir/sub/file.txt");
    EXPECT_EQ(name.flags, 0);

    ASSERT_EQ(makeArchiveName("dir\\sub", true, name), ZipOk);
    EXPECT_EQ(name.bytes, "dir/sub/");
    ASSERT_EQ(makeArchiveName("dir/", true, name), ZipOk);
    EXPECT_EQ(name.bytes, "dir/");

    ASSERT_EQ(makeArchiveName("Grüße.txt", false, name), ZipOk);
    EXPECT_EQ(name.flags, FlagUtf8Name);
    // Bytes that are not UTF-8 are kept as they are, without claiming UTF-8.
    ASSERT_EQ(makeArchiveName("caf\xE9.txt", false, name), ZipOk);
    EXPECT_EQ(name.flags, 0);
}

TEST(ArchiveNames, LongNamesAreKeptWholeAndUnrepresentableOnesRefused) {
    ArchiveName name;
    const std::string longName(300, 'n');
    ASSERT_EQ(makeArchiveName(longName, false, name), ZipOk);
    EXPECT_EQ(name.bytes, longName);
    EXPECT_EQ(makeArchiveName(std::string(65535, 'n'), false, name), ZipOk);
    EXPECT_EQ(makeArchiveName(std::string(65536, 'n'), false, name), ZipBadArguments);
    EXPECT_EQ(makeArchiveName(std::string("a\0b", 3), false, name), ZipBadArguments);
    EXPECT_EQ(makeArchiveName("", false, name), ZipBadArguments);
    EXPECT_EQ(makeArchiveName("", true, name), ZipBadArguments);
}

TEST(ArchiveNames, StoredExtensionsIgnoreCaseAndOnlyTheLastDotCounts) {
    for (const char* stored : {"photo.JPG.ZIP", "backup.tar.gz", "old.z"}) {
        EXPECT_TRUE(hasStoredExtension(stored)) << stored;
    }
    for (const char* deflated : {"README", "x.gzip", "zip", "a.zip.txt", "dir.gz/f"}) {
        EXPECT_FALSE(hasStoredExtension(deflated)) << deflated;
    }
}

TEST(EntryNames, CleaningDropsDrivePartsAndLeadingSlashes) {
    EXPECT_EQ(cleanEntryName("C:\\..\\..\\file.txt", false), "../../file.txt");
    EXPECT_EQ(cleanEntryName("/etc/passwd", false), "etc/passwd");
    EXPECT_EQ(cleanEntryName("//C:/x/y", false), "x/y");
    EXPECT_EQ(cleanEntryName("dir\\file.txt", false), "dir/file.txt");
    EXPECT_EQ(cleanEntryName("a/../b", false), "a/../b"); // refused later, not rewritten
}

TEST(EntryNames, Utf8WhenFlaggedOrValidElseCodePage437) {
    EXPECT_EQ(cleanEntryName("Gr\xC3\xBC\xC3\x9F"
                             "e",
                             false),
              "Grüße");
    EXPECT_EQ(cleanEntryName("\x81"
                             "ber",
                             false),
              "über"); // CP437 0x81 is ü
    EXPECT_EQ(cleanEntryName("\x81"
                             "ber",
                             true),
              "\x81"
              "ber");
    EXPECT_EQ(cleanEntryName("\xB0\xE1", false), "░ß");
}

TEST(EntryNames, SafeComponentsRefuseEveryParentStep) {
    EXPECT_EQ(safeComponents("a/./b//c.txt"), (Components{"a", "b", "c.txt"}));
    EXPECT_EQ(safeComponents("dir/"), (Components{"dir"}));
    EXPECT_EQ(safeComponents("..foo/bar.."), (Components{"..foo", "bar.."}));
    EXPECT_EQ(safeComponents("./"), Components{});
    for (const char* unsafe : {"../x", "a/../../x", "a/..", "..", "./../x"}) {
        EXPECT_FALSE(safeComponents(unsafe).has_value()) << unsafe;
    }
    EXPECT_FALSE(safeComponents(std::string("a\0b", 3)).has_value());
}

TEST(TextEncoding, Utf8ValidationRejectsOverlongsSurrogatesAndTruncation) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
    for (const char* invalid :
         {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80", "\xFF"}) {
        EXPECT_FALSE(isValidUtf8(invalid)) << invalid;
    }
}

} // namespace
} // namespace tarvo::zip
