#include "platform/name_mask.h"

#include <QChar>

#include <vector>

namespace {

char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    return QChar::toCaseFolded(c);
}

// The smallest code point each sequence length may carry: a longer form of a smaller one is
// not UTF-8 (else an overlong "*" would be a wildcard).
constexpr char32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};

bool isCharacter(char32_t c, int length) {
    return c >= kSmallestOfLength[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// Folded code points of UTF-8 text. A byte that does not start a valid sequence stands for
// itself in a range no character uses, so a name that is not UTF-8 still matches itself.
std::u32string foldedCharacters(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0;
        if (byte < 0x80) {
            length = 1;
            c = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            c = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            c = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            c = byte & 0x07;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid || !isCharacter(c, length)) {
            out += static_cast<char32_t>(0x110000 + byte);
            ++i;
            continue;
        }
        out += fold(c);
        i += length;
    }
    return out;
}

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// "*" and "?" only: the usual scan that falls back to the last star.
template <class Name> bool matchStars(const std::u32string& pattern, const Name& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::u32string::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

// With "<" or ">" the outcome depends on what follows in the name: every position of the
// pattern the name may have reached is followed at once.
bool matchDos(const std::u32string& pattern, const std::u32string& name) {
    const std::size_t lastDot = name.find_last_of(U'.');
    std::vector<char> states(pattern.size() + 1, 0);
    std::vector<char> next(pattern.size() + 1, 0);
    states[0] = 1;
    for (std::size_t n = 0;; ++n) {
        const bool atEnd = n == name.size();
        const bool atDot = !atEnd && name[n] == U'.';
        // Positions reachable without taking a character.
        for (std::size_t p = 0; p < pattern.size(); ++p) {
            if (!states[p])
                continue;
            const char32_t c = pattern[p];
            if (c == U'*' || c == U'<' || (c == U'>' && (atEnd || atDot)))
                states[p + 1] = 1;
        }
        if (atEnd)
            return states[pattern.size()] != 0;
        std::fill(next.begin(), next.end(), 0);
        const char32_t c = name[n];
        for (std::size_t p = 0; p < pattern.size(); ++p) {
            if (!states[p])
                continue;
            const char32_t want = pattern[p];
            if (want == U'*' || (want == U'<' && n != lastDot))
                next[p] = 1;
            else if (want == U'?' || (want == U'>' && !atDot) || want == c)
                next[p + 1] = 1;
        }
        states.swap(next);
    }
}

// ASCII names are matched as they are, without decoding.
struct FoldedAscii {
    std::string_view text;
    std::size_t size() const { return text.size(); }
    char32_t operator[](std::size_t i) const { return fold(static_cast<unsigned char>(text[i])); }
};

} // namespace

NameMask::NameMask(std::string_view mask)
    : pattern_(foldedCharacters(mask)), everything_(mask == "*.*"),
      dosWildcards_(pattern_.find_first_of(U"<>") != std::u32string::npos) {}

bool NameMask::matches(std::string_view name) const {
    if (everything_)
        return true;
    if (dosWildcards_)
        return matchDos(pattern_, foldedCharacters(name));
    if (isAscii(name))
        return matchStars(pattern_, FoldedAscii{name});
    return matchStars(pattern_, foldedCharacters(name));
}
