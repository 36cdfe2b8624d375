#pragma once

#include "local/listing/search_record.h"
#include "local/listing/sort_keys.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvo::listing {

// The collator that orders entry names: the given locale's order, case-sensitive.
QCollator nameCollator(const QLocale& locale);

// The extension a "type" key sorts by: from the name's last "." to its end, the dot included;
// empty when the name has no dot.
std::string_view extensionOf(std::string_view name);

// The collation keys of names or extensions, one after another in one block: the C locale's
// keys are the names' UTF-8 bytes, compared as bytes; any other locale's are the collator's.
class CollationKeys {
public:
    CollationKeys(SortColumn column, const QCollator& collator);
    // Adds the keys of records[from] onwards.
    void add(const std::vector<SearchRecord>& records, std::size_t from);
    // Makes room for the keys of that many records in all, at the length of the keys so far.
    void reserve(std::size_t records);
    // Three-way comparison of two added keys.
    int compare(std::size_t a, std::size_t b) const;
    // The first 16 bytes of a C locale key as two big-endian numbers (zeros after its end), so
    // most comparisons end without touching the block; zeros for any other locale.
    std::pair<std::uint64_t, std::uint64_t> prefix(std::size_t index) const;

private:
    std::string_view bytesOf(std::size_t index) const;

    SortColumn column_;
    QCollator collator_;
    bool bytewise_;
    std::string bytes_;             // bytewise: the keys, one after another
    std::vector<std::size_t> ends_; // bytewise: where each key ends in bytes_
    std::vector<std::optional<QCollatorSortKey>> collated_; // any other locale
};

// A record's place in a sort: a number that orders it (or a key's first bytes), and its index.
struct RankedIndex {
    std::uint64_t High = 0;
    std::uint64_t Low = 0;
    std::size_t Index = 0;
};

// The order of records by their names (SortColumn::Name) or extensions (SortColumn::Type), built
// while the records arrive in parts: each part's collation keys, the costly part, are computed
// and merged into the order as it comes, so that little is left when the last part is in.
class CollationOrder {
public:
    CollationOrder(SortColumn column, bool descending, const QCollator& collator);
    // Takes records[from] onwards into the order.
    void add(const std::vector<SearchRecord>& records, std::size_t from);
    // Makes room for that many records in all: growing by the part moved the whole order so far
    // and touched fresh memory at every doubling.
    void reserve(std::size_t records);
    // Puts the records, all of which were added, in the order.
    void sort(std::vector<SearchRecord>& records) const;

private:
    bool descending_;
    CollationKeys keys_;
    std::vector<RankedIndex> order_;
};

// Sorts records by one rule. Entries that compare equal end up in no defined order.
// Names and extensions are compared by collator after decoding them as UTF-8.
void sortRecords(std::vector<SearchRecord>& records, const SortRule& rule,
                 const QCollator& collator);

// Sorts records by a number each one gives, compared as 64-bit numbers.
void sortRecordsByNumber(std::vector<SearchRecord>& records, bool descending,
                         std::int64_t (*number)(const SearchRecord&));

// Sorts a listing by a panel's sort key: by each rule the key holds, folders then files, except
// that size rules leave the folders alone. A key that holds no rule leaves both lists as read.
void sortListing(DirectoryListing& listing, std::string_view key, const QCollator& collator);

} // namespace tarvo::listing
