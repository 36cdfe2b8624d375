// Built with the checked standard library (_GLIBCXX_DEBUG), which aborts when a sort is handed
// a comparison that says an entry goes before itself.
#include "local/listing/listing_sort.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace listing = tarvo::listing;

using listing::SearchRecord;

namespace {

constexpr int kCount = 5000;
const char* const kKeys[] = {"name 0-1", "name 1-0", "size 0-1", "size 1-0", "date 0-1",
                             "date 1-0", "type 0-1", "type 1-0", "attr 0-1", "attr 1-0"};

// Thousands of entries that tie in every column but the name (or in all of them).
std::vector<SearchRecord> ties(bool sameName) {
    std::vector<SearchRecord> records;
    for (int i = 0; i < kCount; ++i)
        records.push_back({sameName ? "same.txt" : "f" + std::to_string(i) + ".txt",
                           std::int64_t{1} << 33, 1700000000, 0x20, false});
    return records;
}

bool sameEntries(std::vector<SearchRecord> a, std::vector<SearchRecord> b) {
    auto byName = [](const SearchRecord& x, const SearchRecord& y) { return x.Name < y.Name; };
    std::sort(a.begin(), a.end(), byName);
    std::sort(b.begin(), b.end(), byName);
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const SearchRecord& x, const SearchRecord& y) {
                          return x.Name == y.Name && x.Size == y.Size && x.Time == y.Time;
                      });
}

} // namespace

TEST(EqualKeysSort, EveryKeySortsTiesWithoutLosingEntries) {
    const QCollator collator = listing::nameCollator(QLocale("en_US"));
    for (const bool sameName : {false, true}) {
        for (const char* key : kKeys) {
            SCOPED_TRACE(key);
            listing::DirectoryListing listing{ties(sameName), ties(sameName)};
            listing::sortListing(listing, key, collator);
            EXPECT_TRUE(sameEntries(listing.Files, ties(sameName)));
            EXPECT_TRUE(sameEntries(listing.Dirs, ties(sameName)));
        }
    }
}
