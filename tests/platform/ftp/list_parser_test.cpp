#include "platform/ftp/list_parser.h"

#include <gtest/gtest.h>

namespace tarvo::ftp {
namespace {

const RemoteTime kNow{2024, 6, 15, 12, 0};

RemoteEntry parsed(std::string_view line) {
    const auto entry = parseListLine(line, kNow);
    EXPECT_TRUE(entry.has_value()) << line;
    return entry.value_or(RemoteEntry{});
}

TEST(ListParser, UnixNineColumnsWithTimeOrYear) {
    const RemoteEntry dir = parsed("drwxr-xr-x   2 owner group     4096 Mar  5 12:34 src");
    EXPECT_EQ(dir.name, "src");
    EXPECT_TRUE(dir.directory);
    EXPECT_FALSE(dir.link);
    EXPECT_EQ(dir.size, 0u);
    EXPECT_EQ(dir.time, (RemoteTime{2024, 3, 5, 12, 34}));

    const RemoteEntry file = parsed("-rw-r--r-- 1 owner group 5368709120 Jan 15  2007 big.iso");
    EXPECT_FALSE(file.directory);
    EXPECT_EQ(file.size, 5368709120u); // above 4 GiB
    EXPECT_EQ(file.time, (RemoteTime{2007, 1, 15, 0, 0}));
}

TEST(ListParser, TimeLaterThanNowBelongsToThePreviousYear) {
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 1 Dec 24 18:00 x").time, (RemoteTime{2023, 12, 24, 18, 0}));
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 1 Jun 15 11:59 x").time, (RemoteTime{2024, 6, 15, 11, 59}));
}

TEST(ListParser, UnixEightColumnsWithoutGroup) {
    const RemoteEntry file = parsed("-rw-r--r-- 1 owner 1234 Jan 15 2007 a.txt");
    EXPECT_EQ(file.name, "a.txt");
    EXPECT_EQ(file.size, 1234u);
    EXPECT_EQ(file.time, (RemoteTime{2007, 1, 15, 0, 0}));
    EXPECT_EQ(parsed("drwxr-xr-x 3 ftp 4096 Feb 29 08:15 two words").name, "two words");
}

TEST(ListParser, NamesWithBlanksAreKeptWhole) {
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 Jan 1 2001 my file .txt").name, "my file .txt");
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 Jan 1 2001 trailing  ").name, "trailing  ");
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 Jan 1 2001  leading").name, " leading");
    // An arrow in a name that is no link is part of the name.
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 Jan 1 2001 a -> b").name, "a -> b");
}

TEST(ListParser, LinksLoseTheirTarget) {
    const RemoteEntry lib = parsed("lrwxrwxrwx 1 owner group 7 Jan 1 2001 lib -> usr/lib");
    EXPECT_EQ(lib.name, "lib");
    EXPECT_TRUE(lib.link);
    EXPECT_FALSE(lib.directory);
    EXPECT_EQ(parsed("lrwxrwxrwx 1 o g 9 Jan 1 2001 my lib.so -> lib.so.6").name, "my lib.so");
}

TEST(ListParser, MsDosForm) {
    const RemoteEntry dir = parsed("01-15-07  10:30AM       <DIR>          Program Files");
    EXPECT_EQ(dir.name, "Program Files");
    EXPECT_TRUE(dir.directory);
    EXPECT_EQ(dir.time, (RemoteTime{2007, 1, 15, 10, 30}));

    const RemoteEntry file = parsed("12-31-1999  12:05PM           4294967296 year end.log");
    EXPECT_EQ(file.name, "year end.log");
    EXPECT_EQ(file.size, 4294967296u);
    EXPECT_EQ(file.time, (RemoteTime{1999, 12, 31, 12, 5}));
    EXPECT_EQ(parsed("03-04-85  12:00AM  1 x").time, (RemoteTime{1985, 3, 4, 0, 0}));
}

TEST(ListParser, LinesThatAreNoEntries) {
    for (const char* line : {"total 12", "", "drwxr-xr-x 2 o g 4096 Jan 1 2001 .",
                             "drwxr-xr-x 2 o g 4096 Jan 1 2001 ..", "garbage line here",
                             "-rw-r--r-- 1 o g 5 Jan 32 2001 x", "-rw-r--r-- 1 o g 5 Jan 1 25:00 x",
                             "-rw-r--r-- 1 o g 5 Jan 1 2001", "13-01-07  10:30AM  <DIR>  x",
                             "01-15-07  13:30PM  <DIR>  x", "01-15-07  10:30AM  12k  x"})
        EXPECT_FALSE(parseListLine(line, kNow).has_value()) << line;
}

TEST(ListParser, PermissionBitsKeepTheSetIdAndStickyBits) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"-rwxr-xr-x", 0755},  {"-rw-r--r--", 0644},  {"----------", 0},
        {"-rwsr-xr-x", 04755}, {"-rwSr--r--", 04644}, {"drwxrwsr-x", 02775},
        {"drwxrwxrwt", 01777}, {"drwxrwxrwT", 01776}, {"lrwxrwxrwx", 0777}};
    for (const auto& [field, bits] : cases)
        EXPECT_EQ(parsed(std::string(field) + " 1 o g 5 Jan 1 2001 x").mode, bits) << field;
    EXPECT_EQ(parsed("01-15-07  10:30AM  1 x").mode, 0u);
}

TEST(ListParser, UnknownMonthNamesGiveJanuary) {
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 Foo 9 2001 x").time, (RemoteTime{2001, 1, 9, 0, 0}));
    EXPECT_EQ(parsed("-rw-r--r-- 1 o g 5 M\xC3\xA4r 9 2001 x").time,
              (RemoteTime{2001, 1, 9, 0, 0}));
}

TEST(ListParser, TheTwentyNinthOfFebruaryIsTheLatestOneNotInTheFuture) {
    const std::pair<RemoteTime, std::int16_t> cases[] = {
        {{2025, 3, 1, 0, 0}, 2024},   // this year has none
        {{2024, 2, 28, 23, 0}, 2020}, // this year's is still to come
        {{2024, 2, 29, 12, 0}, 2024},
        {{2100, 6, 1, 0, 0}, 2096}}; // no leap day in a century year but every fourth
    for (const auto& [now, year] : cases) {
        const auto entry = parseListLine("-rw-r--r-- 1 o g 5 Feb 29 10:00 x", now);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->time, (RemoteTime{year, 2, 29, 10, 0})) << now.year;
    }
}

TEST(ListParser, LinesOfNoKnownFormAreCountedOthersNot) {
    std::vector<RemoteEntry> entries;
    std::size_t unparsed = 0;
    appendListing("total 3\r\n\r\n   \r\n"
                  "drwxr-xr-x 2 o g 4096 Jan 1 2001 .\r\n"
                  "drwxr-xr-x 2 o g 4096 Jan 1 2001 ..\r\n"
                  "garbage line\r\n"
                  "-rw-r--r-- 1 o g 5 Jan 32 2001 x\r\n"
                  "-rw-r--r-- 1 o g 5 Jan 3 2001 kept\r\n",
                  kNow, entries, &unparsed);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "kept");
    EXPECT_EQ(unparsed, 2u);
}

TEST(ListParser, ListingLinesWithCrLfAndLf) {
    std::vector<RemoteEntry> entries;
    appendListing("total 2\r\n"
                  "-rw-r--r-- 1 o g 1 Jan 1 2001 a\r\n"
                  "drwxr-xr-x 2 o g 4096 Jan 1 2001 b\n",
                  kNow, entries);
    appendListing("", kNow, entries);
    appendListing("-rw-r--r-- 1 o g 2 Jan 1 2001 c", kNow, entries);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[1].name, "b");
    EXPECT_EQ(entries[2].name, "c");
}

} // namespace
} // namespace tarvo::ftp
