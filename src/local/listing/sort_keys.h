#pragma once

#include <string_view>
#include <vector>

namespace tarvo::listing {

enum class SortColumn { Name, Size, Date, Type, Attr };

// One of the ten sort keys a panel keeps, names in its header buttons and stores per panel.
// The direction words do not mean the same for every column: "0-1" puts the smaller size, the
// older date and the lower attribute value first, but sorts names and extensions from Z to A.
struct SortRule {
    std::string_view Text; // "name 1-0" and so on
    SortColumn Column;
    bool Descending;
    // Size keys order only the files and leave the folders in the order they were read.
    bool sortsDirs() const { return Column != SortColumn::Size; }
};

// The rules whose text occurs anywhere inside key, in the order a key is tested against them.
// Any other key ("none", the empty key of a new panel) matches nothing and sorts nothing.
std::vector<SortRule> sortRulesIn(std::string_view key);

} // namespace tarvo::listing
