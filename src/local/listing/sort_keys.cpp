#include "local/listing/sort_keys.h"

#include <array>

namespace tarvo::listing {

namespace {

using enum SortColumn;

// Tested in this order; a key holding several texts is sorted by each in turn.
constexpr std::array<SortRule, 10> kRules{{
    {"size 0-1", Size, false},
    {"size 1-0", Size, true},
    {"date 1-0", Date, true},
    {"date 0-1", Date, false},
    {"name 1-0", Name, false},
    {"name 0-1", Name, true},
    {"type 1-0", Type, false},
    {"type 0-1", Type, true},
    {"attr 0-1", Attr, false},
    {"attr 1-0", Attr, true},
}};

} // namespace

std::vector<SortRule> sortRulesIn(std::string_view key) {
    std::vector<SortRule> rules;
    for (const SortRule& rule : kRules)
        if (key.find(rule.Text) != std::string_view::npos)
            rules.push_back(rule);
    return rules;
}

} // namespace tarvo::listing
