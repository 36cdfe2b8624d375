#pragma once

#include "local/listing/search_record.h"
#include "local/listing/sort_keys.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarvo::listing {

// The collator that orders entry names: the given locale's order, case-sensitive.
QCollator nameCollator(const QLocale& locale);

// The extension a "type" key sorts by: from the name's last "." to its end, the dot included;
// empty when the name has no dot.
std::string_view extensionOf(std::string_view name);

// The order of records by their names (SortColumn::Name) or extensions (SortColumn::Type), built
// while the records arrive in parts: each part's collation keys, the costly part, are computed
// and merged into the order as it comes, so that little is left when the last part is in.
class CollationOrder {
public:
    CollationOrder(SortColumn column, bool descending, const QCollator& collator);
    // Takes records[from] onwards into the order.
    void add(const std::vector<SearchRecord>& records, std::size_t from);
    // Puts the records, all of which were added, in the order.
    void sort(std::vector<SearchRecord>& records) const;

private:
    SortColumn column_;
    bool descending_;
    QCollator collator_;
    std::vector<std::optional<QCollatorSortKey>> keys_;
    std::vector<std::size_t> order_;
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
