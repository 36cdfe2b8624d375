#include "local/listing/listing_sort.h"

#include "local/listing/parallel_for.h"

#include <QCollatorSortKey>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <type_traits>
#include <utility>

namespace tarvo::listing {

namespace {

// Collation keys cost a few microseconds each; spread them when there are many, also the few
// thousand of each part of a listing that arrives over the network.
constexpr std::size_t kKeysPerThread = 4096;

// QCollator instances must not be shared between threads, so each worker gets its own.
QCollator collatorLike(const QCollator& model) {
    QCollator copy(model.locale());
    copy.setCaseSensitivity(model.caseSensitivity());
    copy.setNumericMode(model.numericMode());
    copy.setIgnorePunctuation(model.ignorePunctuation());
    return copy;
}

void reorder(std::vector<SearchRecord>& records, const std::vector<std::size_t>& order) {
    std::vector<SearchRecord> sorted;
    sorted.reserve(records.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(records[index]));
    records.swap(sorted);
}

// Sorts record indices by a precomputed key per record, so each comparison is cheap and the
// records themselves move only once. compare is a three-way comparison of two keys.
template <typename Key, typename Compare>
void sortByKeys(std::vector<SearchRecord>& records, const std::vector<Key>& keys, bool descending,
                Compare compare) {
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int result = compare(keys[a], keys[b]);
        return descending ? result > 0 : result < 0;
    });
    reorder(records, order);
}

// Sizes are unsigned and times signed: each compares as its own type.
template <typename Field>
void sortByNumber(std::vector<SearchRecord>& records, bool descending, Field field) {
    std::vector<std::invoke_result_t<Field, const SearchRecord&>> keys;
    keys.reserve(records.size());
    for (const SearchRecord& record : records)
        keys.push_back(field(record));
    sortByKeys(records, keys, descending, [](auto a, auto b) { return (a > b) - (a < b); });
}

} // namespace

QCollator nameCollator(const QLocale& locale) {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

std::string_view extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

CollationOrder::CollationOrder(SortColumn column, bool descending, const QCollator& collator)
    : column_(column), descending_(descending), collator_(collatorLike(collator)) {}

void CollationOrder::add(const std::vector<SearchRecord>& records, std::size_t from) {
    const std::size_t first = keys_.size();
    keys_.resize(first + records.size() - from);
    parallelFor(records.size() - from, kKeysPerThread, [&](std::size_t begin, std::size_t end) {
        const QCollator local = collatorLike(collator_);
        for (std::size_t i = begin; i < end; ++i) {
            const std::string& name = records[from + i].Name;
            const std::string_view bytes =
                column_ == SortColumn::Type ? extensionOf(name) : std::string_view(name);
            keys_[first + i] =
                local.sortKey(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
        }
    });
    const auto before = [this](std::size_t a, std::size_t b) {
        const int result = keys_[a]->compare(*keys_[b]);
        return descending_ ? result > 0 : result < 0;
    };
    order_.resize(keys_.size());
    const auto part = order_.begin() + static_cast<std::ptrdiff_t>(first);
    std::iota(part, order_.end(), first);
    std::sort(part, order_.end(), before);
    std::inplace_merge(order_.begin(), part, order_.end(), before);
}

void CollationOrder::sort(std::vector<SearchRecord>& records) const {
    reorder(records, order_);
}

void sortRecords(std::vector<SearchRecord>& records, const SortRule& rule,
                 const QCollator& collator) {
    switch (rule.Column) {
    case SortColumn::Size:
        sortByNumber(records, rule.Descending, [](const SearchRecord& r) { return r.Size; });
        break;
    case SortColumn::Date:
        sortByNumber(records, rule.Descending, [](const SearchRecord& r) { return r.Time; });
        break;
    case SortColumn::Attr:
        sortByNumber(records, rule.Descending,
                     [](const SearchRecord& r) { return std::int64_t{r.Attr}; });
        break;
    case SortColumn::Name:
    case SortColumn::Type: {
        CollationOrder order(rule.Column, rule.Descending, collator);
        order.add(records, 0);
        order.sort(records);
        break;
    }
    }
}

void sortRecordsByNumber(std::vector<SearchRecord>& records, bool descending,
                         std::int64_t (*number)(const SearchRecord&)) {
    sortByNumber(records, descending, number);
}

void sortListing(DirectoryListing& listing, std::string_view key, const QCollator& collator) {
    for (const SortRule& rule : sortRulesIn(key)) {
        if (rule.sortsDirs())
            sortRecords(listing.Dirs, rule, collator);
        sortRecords(listing.Files, rule, collator);
    }
}

} // namespace tarvo::listing
