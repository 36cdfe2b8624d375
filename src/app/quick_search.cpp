#include "app/quick_search.h"

#include <algorithm>

namespace listing = tarvo::listing;

namespace {

// The first character of a text, lower-cased; a character outside the basic plane stays whole.
QString firstLower(const QString& text) {
    if (text.isEmpty())
        return {};
    return text.left(text.front().isHighSurrogate() ? 2 : 1).toLower();
}

bool matches(const listing::SearchRecord& entry, const QString& key) {
    // A first character takes at most four bytes of UTF-8; decoding more would be wasted.
    const auto head = static_cast<qsizetype>(std::min<std::size_t>(entry.Name.size(), 4));
    return firstLower(QString::fromUtf8(entry.Name.data(), head)) == key;
}

std::optional<int> directoryPass(QuickSearchState& state, const listing::DirectoryListing& listing,
                                 const QString& key) {
    if (!state.InDirs)
        return std::nullopt;
    for (int i = state.DirIndex; i < static_cast<int>(listing.Dirs.size()); ++i)
        if (matches(listing.Dirs[static_cast<std::size_t>(i)], key)) {
            state.DirIndex = i + 1;
            return i + 1;
        }
    state = {false, 0, 0};
    return std::nullopt;
}

std::optional<int> filePass(QuickSearchState& state, const listing::DirectoryListing& listing,
                            const QString& key) {
    const int dirs = static_cast<int>(listing.Dirs.size());
    for (int i = state.FileIndex; i < static_cast<int>(listing.Files.size()); ++i)
        if (matches(listing.Files[static_cast<std::size_t>(i)], key)) {
            state.FileIndex = i + 1;
            return dirs + i + 1;
        }
    return std::nullopt;
}

} // namespace

std::optional<int> quickSearch(QuickSearchState& state, const listing::DirectoryListing& listing,
                               const QString& typed) {
    const QString key = firstLower(typed);
    if (auto row = directoryPass(state, listing, key))
        return row;
    if (auto row = filePass(state, listing, key))
        return row;
    state = {true, 0, 0};
    return directoryPass(state, listing, key);
}
