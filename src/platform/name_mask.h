#pragma once

#include <string>
#include <string_view>

// A file-name mask as the panels' mask boxes take it, for local and remote listings alike.
// "*" stands for any run of characters and "?" for any one; "<" for any run that does not take
// the name's last dot, and ">" for one character, or none at a dot or at the end of the name
// (so "<>" picks the names without a dot). Letter case is ignored. The mask "*.*" matches
// every name, with or without a dot. Every other character stands for itself, so no mask is
// invalid.
class NameMask {
public:
    explicit NameMask(std::string_view mask);

    bool matches(std::string_view name) const;
    bool matchesEverything() const { return everything_; }

private:
    std::u32string pattern_; // case-folded characters
    bool everything_ = false;
    bool dosWildcards_ = false; // holds "<" or ">"
};
