#include "local/listing/listing_sort.h"
#include "local/listing/record_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace listing = tarvo::listing;

using listing::DirectoryListing;
using listing::SearchRecord;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

using Names = std::vector<std::string>;

SearchRecord record(std::string name, std::uint64_t size, std::int64_t time, std::int32_t attr) {
    return {std::move(name), size, time, attr, false};
}

// Every column orders the entries differently, and no two entries tie in any column.
DirectoryListing fixedListing() {
    DirectoryListing listing;
    listing.Dirs = {record("B.old", 0, 1, 0x12), record("c.new", 0, 2, 0x11),
                    record("a", 0, 3, 0x10)};
    listing.Files = {
        record("b.txt", 300, 30, 0x20), record("readme", 200, 50, 0x22),
        record("A.doc", 100, 10, 0x21), record("c.Zip", 4000, 20, 0x23),
        record("a.", 0, 40, 0x00),
    };
    return listing;
}

Names reversed(Names names) {
    std::reverse(names.begin(), names.end());
    return names;
}

Names sortedNames(Names names, const char* locale) {
    std::vector<SearchRecord> records;
    for (std::string& name : names)
        records.push_back(record(std::move(name), 0, 0, 0));
    listing::sortRecords(records, listing::sortRulesIn("name 1-0").front(),
                         listing::nameCollator(QLocale(locale)));
    return namesOf(records);
}

struct KeyCase {
    std::string key; // the "1-0" or "0-1" key whose order is listed
    Names dirs;
    Names files;
};

} // namespace

TEST(ListingSort, EveryKeyInBothDirections) {
    const Names readDirs = namesOf(fixedListing().Dirs);
    const std::vector<KeyCase> cases = {
        {"name 1-0", {"a", "B.old", "c.new"}, {"a.", "A.doc", "b.txt", "c.Zip", "readme"}},
        {"type 1-0", {"a", "c.new", "B.old"}, {"readme", "a.", "A.doc", "b.txt", "c.Zip"}},
        {"size 0-1", readDirs, {"a.", "A.doc", "readme", "b.txt", "c.Zip"}},
        {"date 0-1", {"B.old", "c.new", "a"}, {"A.doc", "c.Zip", "b.txt", "a.", "readme"}},
        {"attr 0-1", {"a", "c.new", "B.old"}, {"a.", "b.txt", "A.doc", "readme", "c.Zip"}},
    };
    const QCollator collator = listing::nameCollator(QLocale("en_US"));
    for (const KeyCase& c : cases) {
        for (const bool flipped : {false, true}) {
            std::string key = c.key;
            if (flipped)
                key.replace(key.size() - 3, 3, key.ends_with("1-0") ? "0-1" : "1-0");
            SCOPED_TRACE(key);
            DirectoryListing listing = fixedListing();
            listing::sortListing(listing, key, collator);
            // Size keys leave the folders in the order they were read, in both directions.
            const bool dirsFollow = !key.starts_with("size");
            EXPECT_THAT(namesOf(listing.Dirs),
                        ElementsAreArray(flipped && dirsFollow ? reversed(c.dirs) : c.dirs));
            EXPECT_THAT(namesOf(listing.Files),
                        ElementsAreArray(flipped ? reversed(c.files) : c.files));
        }
    }
}

TEST(ListingSort, KeyTextIsFoundInsideOtherTextAndUnknownKeysSortNothing) {
    const QCollator collator = listing::nameCollator(QLocale("en_US"));
    for (const std::string key : {"none", "", "Name 1-0", "name 2-0"}) {
        DirectoryListing listing = fixedListing();
        listing::sortListing(listing, key, collator);
        EXPECT_EQ(namesOf(listing.Files), namesOf(fixedListing().Files)) << key;
        EXPECT_EQ(namesOf(listing.Dirs), namesOf(fixedListing().Dirs)) << key;
    }
    DirectoryListing listing = fixedListing();
    listing::sortListing(listing, "[name 0-1]", collator);
    EXPECT_THAT(namesOf(listing.Dirs), ElementsAre("c.new", "B.old", "a"));

    // A key holding several texts applies each, in the fixed test order: the last one wins.
    const auto rules = listing::sortRulesIn("name 1-0 size 0-1");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(std::tuple(rules[0].Text, rules[1].Text), std::tuple("size 0-1", "name 1-0"));
}

TEST(ListingSort, NamesFollowTheGivenLocaleAndCase) {
    EXPECT_THAT(sortedNames({"B", "a", "b", "A"}, "en_US"), ElementsAre("a", "A", "b", "B"));
    EXPECT_THAT(sortedNames({"B", "a", "b", "A"}, "C"), ElementsAre("A", "B", "a", "b"));
    EXPECT_THAT(sortedNames({"z", "\xC3\xA4", "a"}, "de_DE"), ElementsAre("a", "\xC3\xA4", "z"));
    EXPECT_THAT(sortedNames({"z", "\xC3\xA4", "a"}, "sv_SE"), ElementsAre("a", "z", "\xC3\xA4"));
}

// The C locale's keys are compared as bytes, first by their first 16: the order is still the
// collator's, past the 16th byte, for characters beyond 16 bits and for invalid UTF-8.
TEST(ListingSort, TheCLocaleOrdersAsItsCollatorDoes) {
    const Names names{
        "abcdefghijklmnopq2", "abcdefghijklmnop", "abcdefghijklmnopq1", "Z", "\xF0\x9F\x98\x80",
        "\xEF\xBF\xBD",       "x\xFFy",           "x\xEF\xBF\xBDz",     "a"};
    Names expected = names;
    const QCollator collator = listing::nameCollator(QLocale::c());
    std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
        return collator.sortKey(QString::fromStdString(a))
                   .compare(collator.sortKey(QString::fromStdString(b))) < 0;
    });
    EXPECT_EQ(sortedNames(names, "C"), expected);
}

TEST(ListingSort, SizesAndTimesCompareInFullSixtyFourBits) {
    // Values whose low 32-bit halves differ by 2^31 or more, or not at all.
    const std::int64_t big = (std::int64_t{1} << 31) + 1;
    const std::int64_t fourGiB = std::int64_t{1} << 32;
    const QCollator collator = listing::nameCollator(QLocale("en_US"));
    DirectoryListing listing;
    // Sizes past 2^63 are the largest, not negative.
    const std::uint64_t maxSize = std::numeric_limits<std::uint64_t>::max();
    const std::int64_t maxTime = std::numeric_limits<std::int64_t>::max();
    listing.Files = {record("big", big, big, 0), record("max", maxSize, maxTime, 0),
                     record("one", 1, 1, 0), record("4g", fourGiB, fourGiB, 0),
                     record("zero", 0, 0, 0)};

    for (const char* key : {"size 0-1", "date 0-1", "size 1-0", "date 1-0"}) {
        listing::sortListing(listing, key, collator);
        const Names ascending{"zero", "one", "big", "4g", "max"};
        EXPECT_EQ(namesOf(listing.Files), key[5] == '0' ? ascending : reversed(ascending)) << key;
    }
}

namespace {

// Adds the records in parts of 700, as a listing arrives, and compares the order with one sort
// of the whole, by name and by type, each way.
void expectPartByPartOrder(const std::vector<SearchRecord>& records, const QCollator& collator) {
    for (const auto column : {listing::SortColumn::Name, listing::SortColumn::Type}) {
        for (const bool descending : {false, true}) {
            std::vector<SearchRecord> whole = records;
            listing::sortRecords(whole, {"", column, descending}, collator);
            listing::CollationOrder order(column, descending, collator);
            std::vector<SearchRecord> arriving;
            for (std::size_t from = 0; from < records.size(); from += 700) {
                const std::size_t before = arriving.size();
                arriving.insert(arriving.end(), records.begin() + from,
                                records.begin() + std::min(records.size(), from + 700));
                order.add(arriving, before);
            }
            order.sort(arriving);
            if (column == listing::SortColumn::Name) {
                EXPECT_EQ(namesOf(arriving), namesOf(whole)) << descending;
                continue;
            }
            // Equal extensions may come in either order.
            for (std::size_t i = 0; i < whole.size(); ++i)
                ASSERT_EQ(listing::extensionOf(arriving[i].Name),
                          listing::extensionOf(whole[i].Name));
        }
    }
}

// A listing that arrives in parts gets the order one sort of the whole would give: in no order,
// already in order (as servers mostly send it), the other way round, or in order but for one
// part that belongs among the others.
TEST(ListingSort, AnOrderBuiltPartByPartIsTheWholeOrder) {
    std::vector<SearchRecord> shuffled;
    for (int i = 0; i < 3000; ++i)
        shuffled.push_back(
            record("n" + std::to_string((i * 7919) % 3001) + (i % 3 ? ".a" : ".b"), 0, 0, 0x20));
    std::vector<SearchRecord> ordered = shuffled;
    std::sort(ordered.begin(), ordered.end(),
              [](const SearchRecord& a, const SearchRecord& b) { return a.Name < b.Name; });
    std::vector<SearchRecord> backwards(ordered.rbegin(), ordered.rend());
    std::vector<SearchRecord> onePartAmiss = ordered;
    std::rotate(onePartAmiss.begin() + 700, onePartAmiss.begin() + 2100, onePartAmiss.end());
    const QCollator collator = listing::nameCollator(QLocale::c());
    for (const auto& records : {shuffled, ordered, backwards, onePartAmiss})
        expectPartByPartOrder(records, collator);
    for (const auto& records : {shuffled, ordered})
        expectPartByPartOrder(records, listing::nameCollator(QLocale("en_US")));
}

} // namespace
