// LIST lines in the forms real servers send them.
#include "platform/ftp/list_parser.h"

#include <gtest/gtest.h>

namespace tarvo::ftp {
namespace {

const RemoteTime kNow{2024, 6, 15, 12, 0};
const RemoteTime k2007{2007, 1, 15, 0, 0};

enum class Outcome { Entry, Skipped, Unreadable };

struct LineCase {
    const char* line;
    Outcome outcome;
    const char* name = "";
    char kind = 'f'; // 'd' directory, 'l' link, 'f' file
    std::uint64_t size = 0;
    RemoteTime time = k2007;
};

class ListLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListLine, IsReadAsTheServerMeantIt) {
    const LineCase& expected = GetParam();
    Listing listing;
    appendListing(expected.line, kNow, listing);
    EXPECT_EQ(listing.unreadableLines, expected.outcome == Outcome::Unreadable ? 1u : 0u);
    if (expected.outcome != Outcome::Entry) {
        EXPECT_TRUE(listing.entries.empty());
        return;
    }
    ASSERT_EQ(listing.entries.size(), 1u);
    const RemoteEntry& entry = listing.entries.front();
    EXPECT_EQ(entry.name, expected.name);
    EXPECT_EQ(entry.directory, expected.kind == 'd');
    EXPECT_EQ(entry.link, expected.kind == 'l');
    EXPECT_EQ(entry.size, expected.size);
    EXPECT_EQ(entry.time, expected.time);
}

constexpr Outcome kEntry = Outcome::Entry;

INSTANTIATE_TEST_SUITE_P(
    RealServerForms, ListLine,
    ::testing::Values(
        // GNU ls (nine columns): times of the last months, years right-aligned to five.
        LineCase{"drwxr-xr-x    2 1000     1000         4096 Mar 05 12:34 src",
                 kEntry,
                 "src",
                 'd',
                 0,
                 {2024, 3, 5, 12, 34}},
        LineCase{"-rw-r--r--   1 ftp      ftp      5368709120 Jan 15  2007 big.iso", kEntry,
                 "big.iso", 'f', 5368709120},
        LineCase{"-rw-r--r-- 1 o g 1 Dec 24 18:00 x", kEntry, "x", 'f', 1, {2023, 12, 24, 18, 0}},
        LineCase{"-rw-r--r-- 1 o g 1 Jun 15 11:59 x", kEntry, "x", 'f', 1, {2024, 6, 15, 11, 59}},
        LineCase{"-rw-r--r--  1 root  wheel  1234 Jan 15  2007 motd", kEntry, "motd", 'f', 1234},
        // Names with blanks, leading ones where the columns show them, and dates in names.
        LineCase{"-rw-r--r-- 1 o g 5 Jan 15 2007 my file .txt", kEntry, "my file .txt", 'f', 5},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 15 2007 trailing  ", kEntry, "trailing  ", 'f', 5},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 15  2007  leading", kEntry, " leading", 'f', 5},
        LineCase{
            "-rw-r--r-- 1 o g 5 Jan 15 00:00  lead", kEntry, " lead", 'f', 5, {2024, 1, 15, 0, 0}},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 15 2007 Feb 2 2002 notes", kEntry, "Feb 2 2002 notes", 'f',
                 5},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 15 2007 a -> b", kEntry, "a -> b", 'f', 5},
        // Years left-aligned and padded with a blank.
        LineCase{"-rw-r--r--   1 user group  1234 Jan 15 2007  name", kEntry, "name", 'f', 1234},
        // Links lose their target.
        LineCase{"lrwxrwxrwx 1 owner group 7 Jan 15 2007 lib -> usr/lib", kEntry, "lib", 'l', 7},
        LineCase{"lrwxrwxrwx 1 o g 9 Jan 15 2007 my lib.so -> lib.so.6", kEntry, "my lib.so", 'l',
                 9},
        // Columns missing: group, link count, both; owners and groups with blanks.
        LineCase{"-rw-r--r-- 1 owner 1234 Jan 15 2007 a.txt", kEntry, "a.txt", 'f', 1234},
        LineCase{"drwxr-xr-x 3 ftp 4096 Feb 29 08:15 two words",
                 kEntry,
                 "two words",
                 'd',
                 0,
                 {2024, 2, 29, 8, 15}},
        LineCase{"-rw-r--r-- ftp ftp 1234 Jan 15 2007 a.txt", kEntry, "a.txt", 'f', 1234},
        LineCase{"drwxr-xr-x folder 0 Jan 15 2007 Documents", kEntry, "Documents", 'd'},
        LineCase{"-rwxrwxrwx   1 Domain Users Domain Users   1234 Jan 15  2007 report.doc", kEntry,
                 "report.doc", 'f', 1234},
        LineCase{"-rw-r--r-- 1 mar 5 2000 Jan 15 2007 x", kEntry, "x", 'f', 2000},
        // Sizes that are no plain number read as 0.
        LineCase{"crw-rw-rw-   1 root     root       1,   3 Jan 15  2007 null", kEntry, "null"},
        LineCase{"brw-rw----   1 root     disk     8,0 Jan 15  2007 sda", kEntry, "sda"},
        LineCase{"-rw-r--r--   1 user group -1 Jan 15 2007 negative", kEntry, "negative"},
        LineCase{"-rw-r--r-- 1 u g 18446744073709551616 Jan 15 2007 too big", kEntry, "too big"},
        LineCase{"-rw-r--r-- 1 u g 18446744073709551615 Jan 15 2007 largest", kEntry, "largest",
                 'f', 18446744073709551615u},
        LineCase{"-rw-r--r-- 1 u g 33.5k Jan 15 2007 human", kEntry, "human"},
        LineCase{"-rw-r--r--   1 user     group12345678 Jan 15  2007 glued", kEntry, "glued"},
        // Permission columns short, with an ACL mark, or of another system entirely.
        LineCase{"drwxr-x 2 u g 4096 Jan 15 2007 short", kEntry, "short", 'd'},
        LineCase{"-rw-r--r--+ 1 u g 10 Jan 15 2007 acl", kEntry, "acl", 'f', 10},
        LineCase{"d [RWCEAFMS] admin 512 Jan 15 2007 SYSTEM", kEntry, "SYSTEM", 'd'},
        LineCase{"- [RWCEAFMS] admin 1234 Jan 15 2007 file.nlm", kEntry, "file.nlm", 'f', 1234},
        // MS-DOS and IIS.
        LineCase{"01-15-07  10:30AM       <DIR>          Program Files",
                 kEntry,
                 "Program Files",
                 'd',
                 0,
                 {2007, 1, 15, 10, 30}},
        LineCase{"12-31-1999  12:05PM           4294967296 year end.log",
                 kEntry,
                 "year end.log",
                 'f',
                 4294967296,
                 {1999, 12, 31, 12, 5}},
        LineCase{"03-04-85  12:00AM  1 x", kEntry, "x", 'f', 1, {1985, 3, 4, 0, 0}},
        LineCase{"02-01-2020  21:05  123 a.txt", kEntry, "a.txt", 'f', 123, {2020, 2, 1, 21, 5}},
        // No entries: summaries, blank lines, the directory itself and its parent.
        LineCase{"total 12", Outcome::Skipped}, LineCase{"", Outcome::Skipped},
        LineCase{"   ", Outcome::Skipped},
        LineCase{"drwxr-xr-x 2 o g 4096 Jan 15 2007 .", Outcome::Skipped},
        LineCase{"drwxr-xr-x 2 o g 4096 Jan 15 2007 ..", Outcome::Skipped},
        LineCase{"01-15-07  10:30AM  <DIR>  ..", Outcome::Skipped},
        // Lines that cannot be taken apart are counted.
        LineCase{"garbage line here", Outcome::Unreadable},
        LineCase{"-rw-r--r-- 1 o g 5 Foo 1 2001 x", Outcome::Unreadable},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 32 2001 x", Outcome::Unreadable},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 1 25:00 x", Outcome::Unreadable},
        LineCase{"-rw-r--r-- 1 o g 5 Jan 1 2001", Outcome::Unreadable},
        LineCase{"13-01-07  10:30AM  <DIR>  x", Outcome::Unreadable},
        LineCase{"01-15-07  13:30PM  <DIR>  x", Outcome::Unreadable},
        LineCase{"01-15-07  10:30AM  12k  x", Outcome::Unreadable}));

TEST(Listing, LinesEndWithCrLfOrLfAndArriveInPieces) {
    Listing listing;
    appendListing("total 2\r\n"
                  "-rw-r--r-- 1 o g 1 Jan 1 2001 a\r\n"
                  "not a listing line\n"
                  "drwxr-xr-x 2 o g 4096 Jan 1 2001 b\n",
                  kNow, listing);
    appendListing("", kNow, listing);
    appendListing("-rw-r--r-- 1 o g 2 Jan 1 2001 c", kNow, listing);
    ASSERT_EQ(listing.entries.size(), 3u);
    EXPECT_EQ(listing.entries[0].name, "a");
    EXPECT_EQ(listing.entries[1].name, "b");
    EXPECT_EQ(listing.entries[2].name, "c");
    EXPECT_EQ(listing.unreadableLines, 1u);
}

} // namespace
} // namespace tarvo::ftp
