#pragma once

#include "local/listing/search_record.h"

#include <QString>

#include <optional>

// Where the next quick search of a panel starts: the folders are searched first, then the
// files, then the folders again, so repeated presses of a letter step through every match.
struct QuickSearchState {
    bool InDirs = true;
    int DirIndex = 0;
    int FileIndex = 0;
};

// The row of the next entry whose name begins with the typed character (ignoring case), or
// none. Row 0 is "[..]", folder i is row i + 1 and file i row D + i + 1.
std::optional<int> quickSearch(QuickSearchState& state,
                               const tarvo::listing::DirectoryListing& listing,
                               const QString& typed);
