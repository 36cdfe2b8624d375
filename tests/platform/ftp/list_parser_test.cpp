// LIST lines in the forms real servers send them.
#include "platform/ftp/list_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace tarvo::ftp {
namespace {

const RemoteTime kNow{2024, 6, 15, 12, 0};

// A line (its CR LF or LF may be there or not), and what it gives: "KIND SIZE DATE TIME NAME"
// (KIND d, l or f) for an entry, "skip" for a line that holds none, "unreadable" for a line that
// cannot be taken apart. Listings arriving in pieces are read in the fault-server tests.
struct LineCase {
    const char* line;
    const char* gives;
};

std::string described(const Listing& listing) {
    if (listing.unreadableLines > 0)
        return "unreadable";
    if (listing.entries.empty())
        return "skip";
    const RemoteEntry& entry = listing.entries.front();
    char head[64];
    std::snprintf(head, sizeof head, "%c %llu %04d-%02d-%02d %02d:%02d ",
                  entry.link        ? 'l'
                  : entry.directory ? 'd'
                                    : 'f',
                  static_cast<unsigned long long>(entry.size), entry.time.year, entry.time.month,
                  entry.time.day, entry.time.hour, entry.time.minute);
    return head + entry.name;
}

class ListLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListLine, IsReadAsTheServerMeantIt) {
    Listing listing;
    appendListing(GetParam().line, kNow, listing);
    EXPECT_LE(listing.entries.size() + listing.unreadableLines, 1u);
    EXPECT_EQ(described(listing), GetParam().gives);
}

const LineCase kLines[] = {
    // GNU ls: times of the last months (the latest date not in the future), years
    // right-aligned to five, and the group column.
    {"drwxr-xr-x    2 1000     1000         4096 Mar 05 12:34 src\r\n", "d 0 2024-03-05 12:34 src"},
    {"-rw-r--r--   1 ftp      ftp      5368709120 Jan 15  2007 big.iso",
     "f 5368709120 2007-01-15 00:00 big.iso"},
    {"-rw-r--r-- 1 o g 1 Dec 24 18:00 x\n", "f 1 2023-12-24 18:00 x"},
    {"-rw-r--r-- 1 o g 1 Jun 15 11:59 x", "f 1 2024-06-15 11:59 x"},
    {"-rw-r--r--  1 root  wheel  1234 Jan 15  2007 motd", "f 1234 2007-01-15 00:00 motd"},
    // Names with blanks, leading ones where the columns show them, and dates in names.
    {"-rw-r--r-- 1 o g 5 Jan 15 2007 my file .txt", "f 5 2007-01-15 00:00 my file .txt"},
    {"-rw-r--r-- 1 o g 5 Jan 15 2007 trailing  ", "f 5 2007-01-15 00:00 trailing  "},
    {"-rw-r--r-- 1 o g 5 Jan 15  2007  leading", "f 5 2007-01-15 00:00  leading"},
    {"-rw-r--r-- 1 o g 5 Jan 15 00:00  lead", "f 5 2024-01-15 00:00  lead"},
    {"-rw-r--r-- 1 o g 5 Jan 15 2007 Feb 2 2002 x", "f 5 2007-01-15 00:00 Feb 2 2002 x"},
    {"-rw-r--r-- 1 o g 5 Jan 15 2007 a -> b", "f 5 2007-01-15 00:00 a -> b"},
    // A year left-aligned and padded with a blank.
    {"-rw-r--r--   1 user group  1234 Jan 15 2007  name", "f 1234 2007-01-15 00:00 name"},
    // ISO dates, as "ls -l --time-style=long-iso" prints them.
    {"-rw-r--r-- 1 user group 346 2005-04-08 11:22 name", "f 346 2005-04-08 11:22 name"},
    {"drwxr-xr-x 2 root root 4096 2012-02-07 00:31 my dir", "d 0 2012-02-07 00:31 my dir"},
    {"-rw-r--r-- 1 owner 7 2012-02-07 00:31  lead", "f 7 2012-02-07 00:31  lead"},
    {"lrwxrwxrwx 1 u g 7 2012-02-07 00:31 lib -> usr/lib", "l 7 2012-02-07 00:31 lib"},
    {"-rw-r--r-- 1 u g 7 2012-13-07 00:31 x", "unreadable"},
    // Links lose their target.
    {"lrwxrwxrwx 1 o g 7 Jan 15 2007 lib -> usr/lib", "l 7 2007-01-15 00:00 lib"},
    {"lrwxrwxrwx 1 o g 9 Jan 15 2007 my lib -> lib.6", "l 9 2007-01-15 00:00 my lib"},
    // Columns missing (group, link count, both), or holding blanks.
    {"-rw-r--r-- 1 owner 1234 Jan 15 2007 a.txt", "f 1234 2007-01-15 00:00 a.txt"},
    {"drwxr-xr-x 3 ftp 4096 Feb 29 08:15 two words", "d 0 2024-02-29 08:15 two words"},
    {"-rw-r--r-- ftp ftp 1234 Jan 15 2007 a.txt", "f 1234 2007-01-15 00:00 a.txt"},
    {"drwxr-xr-x folder 0 Jan 15 2007 Docs", "d 0 2007-01-15 00:00 Docs"},
    {"-rwxrwxrwx   1 Domain Users Domain Users   1234 Jan 15  2007 report.doc",
     "f 1234 2007-01-15 00:00 report.doc"},
    {"-rw-r--r-- 1 mar 5 2000 Jan 15 2007 x", "f 2000 2007-01-15 00:00 x"},
    // Sizes that are no plain number read as 0.
    {"crw-rw-rw-   1 root     root       1,   3 Jan 15  2007 null", "f 0 2007-01-15 00:00 null"},
    {"brw-rw----   1 root     disk     8,0 Jan 15  2007 sda", "f 0 2007-01-15 00:00 sda"},
    {"-rw-r--r-- 1 u g -1 Jan 15 2007 negative", "f 0 2007-01-15 00:00 negative"},
    {"-rw-r--r-- 1 u g 18446744073709551616 Jan 15 2007 x", "f 0 2007-01-15 00:00 x"},
    {"-rw-r--r-- 1 u g 18446744073709551615 Jan 15 2007 x",
     "f 18446744073709551615 2007-01-15 00:00 x"},
    {"-rw-r--r-- 1 u g 33.5k Jan 15 2007 human", "f 0 2007-01-15 00:00 human"},
    {"-rw-r--r--   1 user     group12345678 Jan 15  2007 glued", "f 0 2007-01-15 00:00 glued"},
    // Permission columns short, with an ACL mark, or of another system entirely.
    {"drwxr-x 2 u g 4096 Jan 15 2007 short", "d 0 2007-01-15 00:00 short"},
    {"-rw-r--r--+ 1 u g 10 Jan 15 2007 acl", "f 10 2007-01-15 00:00 acl"},
    {"d [RWCEAFMS] admin 512 Jan 15 2007 SYSTEM", "d 0 2007-01-15 00:00 SYSTEM"},
    {"- [RWCEAFMS] admin 1234 Jan 15 2007 a.nlm", "f 1234 2007-01-15 00:00 a.nlm"},
    // MS-DOS and IIS.
    {"01-15-07  10:30AM       <DIR>          Program Files", "d 0 2007-01-15 10:30 Program Files"},
    {"12-31-1999  12:05PM           4294967296 year end.log",
     "f 4294967296 1999-12-31 12:05 year end.log"},
    {"03-04-85  12:00AM  1 x", "f 1 1985-03-04 00:00 x"},
    {"02-01-2020  21:05  123 a.txt", "f 123 2020-02-01 21:05 a.txt"},
    {"01-01-20 10:00AM -5 name", "f 0 2020-01-01 10:00 name"},
    // A month name of another language: the entry stays, in January.
    {"-rw-r--r-- 1 o g 5 Foo 1 2001 x", "f 5 2001-01-01 00:00 x"},
    {"-rw-r--r-- 1 o g 5 M\xC3\xA4r 9 2001 x", "f 5 2001-01-09 00:00 x"},
    // No entries: summaries, blank lines, the directory itself and its parent.
    {"total 12", "skip"},
    {"", "skip"},
    {"   ", "skip"},
    {"drwxr-xr-x 2 o g 4096 Jan 15 2007 .", "skip"},
    {"drwxr-xr-x 2 o g 4096 Jan 15 2007 ..", "skip"},
    {"01-15-07  10:30AM  <DIR>  ..", "skip"},
    // Lines that cannot be taken apart are counted.
    {"garbage line here", "unreadable"},
    {"-rw-r--r-- 1 o g 5 Jan 32 2001 x", "unreadable"},
    {"-rw-r--r-- 1 o g 5 Jan 1 25:00 x", "unreadable"},
    {"-rw-r--r-- 1 o g 5 Jan 1 2001", "unreadable"},
    {"13-01-07  10:30AM  <DIR>  x", "unreadable"},
    {"01-15-07  13:30PM  <DIR>  x", "unreadable"},
    {"01-15-07  10:30AM  12k  x", "unreadable"}};

INSTANTIATE_TEST_SUITE_P(RealServerForms, ListLine, ::testing::ValuesIn(kLines));

// Lines longer than the 64 bytes the parser takes apart in one step: a field or a run of blanks
// across the step's end, a line that ends right at it or at the next, more words than columns.
TEST(ListLongLines, AreReadAcrossTheParsersSteps) {
    const std::pair<std::string, std::string> cases[] = {
        {"-rw-r--r--    1 owner    group" + std::string(26, ' ') + "4096 Jan 15  2007 name",
         "f 4096 2007-01-15 00:00 name"},
        {"-rw-r--r--    1 owner    " + std::string(30, 'g') + "group 12 Jan 15  2007 across",
         "f 12 2007-01-15 00:00 across"},
        {"-rw-r--r-- 1 o g 5" + std::string(50, ' ') + "Jan 15 2007 far",
         "f 5 2007-01-15 00:00 far"},
        {"drwxr-xr-x\t2\towner\tgroup\t4096\tMar\t5\t12:34\t" + std::string(60, 'n'),
         "d 0 2024-03-05 12:34 " + std::string(60, 'n')},
        {"-rw-r--r-- 1 o g 5 Jan 15 2007 " + std::string(33, 'x'),
         "f 5 2007-01-15 00:00 " + std::string(33, 'x')},
        {"-rw-r--r-- 1 o g 5 Jan 15 2007 " + std::string(97, 'y'),
         "f 5 2007-01-15 00:00 " + std::string(97, 'y')},
        {"-rw-r--r-- 1 o g 5 Jan 15 2007 a b c d e f g h i j k l m n o p q r s t",
         "f 5 2007-01-15 00:00 a b c d e f g h i j k l m n o p q r s t"}};
    for (const auto& [line, gives] : cases) {
        Listing listing;
        appendListing(line, kNow, listing);
        EXPECT_EQ(described(listing), gives) << line.size() << " bytes: " << line;
    }
}

RemoteEntry onlyEntry(std::string_view line, const RemoteTime& now = kNow) {
    Listing listing;
    appendListing(line, now, listing);
    EXPECT_EQ(listing.entries.size(), 1u) << line;
    return listing.entries.empty() ? RemoteEntry{} : listing.entries.front();
}

TEST(ListPermissions, KeepTheSetIdAndStickyBits) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"-rwxr-xr-x", 0755},  {"-rw-r--r--", 0644},  {"----------", 0},
        {"-rwsr-xr-x", 04755}, {"-rwSr--r--", 04644}, {"drwxrwsr-x", 02775},
        {"drwxrwxrwt", 01777}, {"drwxrwxrwT", 01776}, {"drwxr-x", 0750}};
    for (const auto& [field, bits] : cases)
        EXPECT_EQ(onlyEntry(std::string(field) + " 1 o g 5 Jan 1 2001 x").mode, bits) << field;
    EXPECT_EQ(onlyEntry("01-15-07  10:30AM  1 x").mode, 0u);
}

TEST(ListDates, TheTwentyNinthOfFebruaryIsTheLatestOneNotInTheFuture) {
    const std::pair<RemoteTime, std::int16_t> cases[] = {
        {{2025, 3, 1, 0, 0}, 2024},   // this year has none
        {{2024, 2, 28, 23, 0}, 2020}, // this year's is still to come
        {{2024, 2, 29, 12, 0}, 2024},
        {{2100, 6, 1, 0, 0}, 2096}}; // no leap day in a century year but every fourth
    for (const auto& [now, year] : cases)
        EXPECT_EQ(onlyEntry("-rw-r--r-- 1 o g 5 Feb 29 10:00 x", now).time,
                  (RemoteTime{year, 2, 29, 10, 0}))
            << now.year;
}

} // namespace
} // namespace tarvo::ftp
