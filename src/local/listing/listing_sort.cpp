#include "local/listing/listing_sort.h"

#include "local/listing/parallel_for.h"

#include <QCollatorSortKey>
#include <QString>
#include <QUtf8StringView>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

namespace tarvo::listing {

namespace {

// Collation keys cost a few microseconds each; spread them when there are many, also the few
// thousand of each part of a listing that arrives over the network.
constexpr std::size_t kKeysPerThread = 4096;
// The smallest piece of a sort one thread takes; the sorted pieces are merged.
constexpr std::size_t kSortPiece = 16384;
// Cheap steps per record (ranking, moving) spread over threads from this many records on.
constexpr std::size_t kRecordsPerThread = 65536;

// QCollator instances must not be shared between threads, so each worker gets its own.
QCollator collatorLike(const QCollator& model) {
    QCollator copy(model.locale());
    copy.setCaseSensitivity(model.caseSensitivity());
    copy.setNumericMode(model.numericMode());
    copy.setIgnorePunctuation(model.ignorePunctuation());
    return copy;
}

// The first eight bytes as a big-endian number, zeros after the end. One load and a byte swap:
// a loop with a test per byte was half the instructions of ordering a large listing that
// arrives in name order.
std::uint64_t bigEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    if (!bytes.empty()) // an empty view may have no data to copy from at all
        std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    return value;
}

// The records in the order of the indices; the moves spread over threads on large lists.
void reorder(std::vector<SearchRecord>& records, const std::vector<RankedIndex>& order) {
    // Servers mostly send listings in name order already: nothing to move then.
    std::size_t position = 0;
    if (std::all_of(order.begin(), order.end(),
                    [&](const RankedIndex& rank) { return rank.Index == position++; }))
        return;
    std::vector<SearchRecord> sorted(records.size());
    parallelFor(order.size(), kRecordsPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            sorted[i] = std::move(records[order[i].Index]);
    });
    records.swap(sorted);
}

// Sorts ranks from first on by before: pieces on several threads, then merged pairwise.
template <typename Before>
void parallelSort(std::vector<RankedIndex>& ranks, std::size_t first, Before before) {
    const auto at = [&](std::size_t index) {
        return ranks.begin() + static_cast<std::ptrdiff_t>(index);
    };
    // A run already in order, as a listing in name order gives, costs one pass.
    if (std::is_sorted(at(first), ranks.end(), before))
        return;
    const std::size_t count = ranks.size() - first;
    std::size_t pieces = 1;
    while (pieces < 8 && count / pieces >= 2 * kSortPiece)
        pieces *= 2;
    const auto bound = [&](std::size_t piece) { return first + count * piece / pieces; };
    parallelFor(pieces, 1, [&](std::size_t begin, std::size_t end) {
        for (std::size_t piece = begin; piece < end; ++piece)
            std::sort(at(bound(piece)), at(bound(piece + 1)), before);
    });
    for (std::size_t width = 1; width < pieces; width *= 2) {
        parallelFor(pieces / (2 * width), 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t pair = begin; pair < end; ++pair) {
                const std::size_t left = pair * 2 * width;
                std::inplace_merge(at(bound(left)), at(bound(left + width)),
                                   at(bound(left + 2 * width)), before);
            }
        });
    }
}

// Sizes, times and attributes as unsigned numbers in the same order.
std::uint64_t orderedNumber(std::uint64_t number) {
    return number;
}
std::uint64_t orderedNumber(std::int64_t number) {
    return static_cast<std::uint64_t>(number) ^ (std::uint64_t{1} << 63);
}

// Sorts records by a number each gives; equal numbers end up in no defined order.
template <typename Field>
void sortByNumber(std::vector<SearchRecord>& records, bool descending, Field field) {
    std::vector<RankedIndex> order(records.size());
    parallelFor(records.size(), kRecordsPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            order[i] = {orderedNumber(field(records[i])), 0, i};
    });
    if (descending)
        parallelSort(order, 0,
                     [](const RankedIndex& a, const RankedIndex& b) { return a.High > b.High; });
    else
        parallelSort(order, 0,
                     [](const RankedIndex& a, const RankedIndex& b) { return a.High < b.High; });
    reorder(records, order);
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

CollationKeys::CollationKeys(SortColumn column, const QCollator& collator)
    : column_(column), collator_(collatorLike(collator)),
      bytewise_(collator.locale().language() == QLocale::C) {}

void CollationKeys::reserve(std::size_t records) {
    if (!bytewise_) {
        collated_.reserve(records);
        return;
    }
    if (!ends_.empty())
        bytes_.reserve(records * (bytes_.size() / ends_.size() + 1));
    ends_.reserve(records);
}

void CollationKeys::add(const std::vector<SearchRecord>& records, std::size_t from) {
    const auto sortedText = [this](const std::string& name) {
        return column_ == SortColumn::Type ? extensionOf(name) : std::string_view(name);
    };
    const std::size_t count = records.size() - from;
    if (!bytewise_) {
        const std::size_t first = collated_.size();
        collated_.resize(first + count);
        parallelFor(count, kKeysPerThread, [&](std::size_t begin, std::size_t end) {
            const QCollator local = collatorLike(collator_);
            for (std::size_t i = begin; i < end; ++i) {
                const std::string_view text = sortedText(records[from + i].Name);
                collated_[first + i] =
                    local.sortKey(QString::fromUtf8(text.data(), qsizetype(text.size())));
            }
        });
        return;
    }
    // The C locale collates the UTF-8 form of the decoded text: the bytes themselves, except
    // that an invalid sequence counts as the replacement character.
    for (std::size_t i = from; i < records.size(); ++i) {
        const std::string_view text = sortedText(records[i].Name);
        if (QUtf8StringView(text).isValidUtf8())
            bytes_.append(text);
        else
            bytes_.append(QString::fromUtf8(text.data(), qsizetype(text.size())).toStdString());
        ends_.push_back(bytes_.size());
    }
}

std::string_view CollationKeys::bytesOf(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

int CollationKeys::compare(std::size_t a, std::size_t b) const {
    if (!bytewise_)
        return collated_[a]->compare(*collated_[b]);
    const int result = bytesOf(a).compare(bytesOf(b));
    return (result > 0) - (result < 0);
}

std::pair<std::uint64_t, std::uint64_t> CollationKeys::prefix(std::size_t index) const {
    if (!bytewise_)
        return {0, 0};
    const std::string_view bytes = bytesOf(index);
    return {bigEndian(bytes), bigEndian(bytes.size() > 8 ? bytes.substr(8) : std::string_view{})};
}

CollationOrder::CollationOrder(SortColumn column, bool descending, const QCollator& collator)
    : descending_(descending), keys_(column, collator) {}

void CollationOrder::reserve(std::size_t records) {
    keys_.reserve(records);
    order_.reserve(records);
}

void CollationOrder::add(const std::vector<SearchRecord>& records, std::size_t from) {
    const std::size_t first = order_.size();
    keys_.add(records, from);
    order_.resize(first + records.size() - from);
    parallelFor(order_.size() - first, kRecordsPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = first + begin; i < first + end; ++i) {
            const auto [high, low] = keys_.prefix(i);
            order_[i] = {high, low, i};
        }
    });
    const auto before = [this](const RankedIndex& a, const RankedIndex& b) {
        int result = 0;
        if (a.High != b.High)
            result = a.High < b.High ? -1 : 1;
        else if (a.Low != b.Low)
            result = a.Low < b.Low ? -1 : 1;
        else
            result = keys_.compare(a.Index, b.Index);
        return descending_ ? result > 0 : result < 0;
    };
    parallelSort(order_, first, before);
    // A part that sorts after the order so far, as the parts of a listing in name order do,
    // needs no merge.
    if (first > 0 && first < order_.size() && before(order_[first], order_[first - 1]))
        std::inplace_merge(order_.begin(), order_.begin() + static_cast<std::ptrdiff_t>(first),
                           order_.end(), before);
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
