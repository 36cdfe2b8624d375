#include "platform/ftp/list_parser.h"

#include <array>
#include <ctime>
#include <limits>

namespace tarvo::ftp {

namespace {

// A field of a line: where it starts and ends. Trivial on purpose, so that the token array
// of each line is not cleared first.
struct Token {
    const char* start;
    std::size_t length;
    std::size_t end; // offset just past the field in the line

    std::string_view text() const { return {start, length}; }
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The first blank-separated fields of a line; a fixed array, as listings run to many
// thousands of lines.
struct Tokens {
    std::array<Token, 8> items;
    std::size_t count = 0;

    std::size_t size() const { return count; }
    const Token& operator[](std::size_t i) const { return items[i]; }
};

Tokens tokenize(std::string_view line, std::size_t maxTokens) {
    Tokens tokens;
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* pos = begin;
    while (tokens.count < maxTokens) {
        while (pos != end && isBlank(*pos))
            ++pos;
        if (pos == end)
            break;
        const char* const start = pos;
        while (pos != end && !isBlank(*pos))
            ++pos;
        tokens.items[tokens.count++] = {start, static_cast<std::size_t>(pos - start),
                                        static_cast<std::size_t>(pos - begin)};
    }
    return tokens;
}

// Plain decimal digits only; short enough that the value cannot overflow. The helpers here
// fill out-parameters rather than return optionals, which costs less per line.
template <typename Number> bool parseNumber(std::string_view text, Number& value) {
    if (text.empty() ||
        text.size() > static_cast<std::size_t>(std::numeric_limits<Number>::digits10))
        return false;
    value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return false;
        value = static_cast<Number>(value * 10 + (c - '0'));
    }
    return true;
}

// Three letters packed into one number, lower-cased, for quick comparison.
constexpr std::uint32_t packedLower(char a, char b, char c) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a | 0x20)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b | 0x20)) << 8 |
           static_cast<unsigned char>(c | 0x20);
}

int monthNumber(std::string_view text) {
    static constexpr std::array<std::uint32_t, 12> kMonths = {
        packedLower('j', 'a', 'n'), packedLower('f', 'e', 'b'), packedLower('m', 'a', 'r'),
        packedLower('a', 'p', 'r'), packedLower('m', 'a', 'y'), packedLower('j', 'u', 'n'),
        packedLower('j', 'u', 'l'), packedLower('a', 'u', 'g'), packedLower('s', 'e', 'p'),
        packedLower('o', 'c', 't'), packedLower('n', 'o', 'v'), packedLower('d', 'e', 'c')};
    if (text.size() != 3)
        return 0;
    const std::uint32_t packed = packedLower(text[0], text[1], text[2]);
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (packed == kMonths[i])
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// "HH:MM" into the hour and minute of the time.
bool parseClock(std::string_view text, RemoteTime& time) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    int hour = 0;
    int minute = 0;
    if (!parseNumber(text.substr(0, colon), hour) || !parseNumber(text.substr(colon + 1), minute) ||
        hour > 23 || minute > 59)
        return false;
    time.hour = static_cast<std::int8_t>(hour);
    time.minute = static_cast<std::int8_t>(minute);
    return true;
}

// Month, day and "HH:MM" or year of a Unix line; a time means the latest such date that is
// not in the future.
bool unixTime(std::string_view month, std::string_view day, std::string_view timeOrYear,
              const RemoteTime& now, RemoteTime& time) {
    time = RemoteTime{};
    time.month = static_cast<std::int8_t>(monthNumber(month));
    // A month name of another language is still a word in that column: its entry stays, in
    // January. A number there means the columns are not where this reading expects them.
    if (time.month == 0 && !month.empty() && !isDigit(month[0]))
        time.month = 1;
    int dayNumber = 0;
    if (time.month == 0 || !parseNumber(day, dayNumber) || dayNumber < 1 || dayNumber > 31)
        return false;
    time.day = static_cast<std::int8_t>(dayNumber);
    if (timeOrYear.find(':') != std::string_view::npos) {
        if (!parseClock(timeOrYear, time))
            return false;
        time.year = now.year;
        // The latest such moment that is not in the future; a 29 February only of a leap year.
        while (time > now || (time.month == 2 && time.day == 29 && !isLeapYear(time.year)))
            --time.year;
        return true;
    }
    int year = 0;
    if (!parseNumber(timeOrYear, year) || year < 1 || year > 9999)
        return false;
    time.year = static_cast<std::int16_t>(year);
    return true;
}

// The permission bits of an "ls -l" mode field ("drwsr-xr-t"): r, w and x of owner, group and
// others, with s and t (also standing for x) and S and T for the set-id and sticky bits.
std::uint32_t permissionBits(std::string_view field) {
    static constexpr std::uint32_t kSpecial[] = {04000, 02000, 01000};
    std::uint32_t bits = 0;
    for (std::size_t triad = 0; triad < 3; ++triad) {
        const std::size_t at = 1 + triad * 3;
        const std::uint32_t shift = 6 - static_cast<std::uint32_t>(triad) * 3;
        if (field.size() > at && field[at] == 'r')
            bits |= 4u << shift;
        if (field.size() > at + 1 && field[at + 1] == 'w')
            bits |= 2u << shift;
        if (field.size() <= at + 2)
            continue;
        const char execute = field[at + 2];
        if (execute == 'x' || execute == 's' || execute == 't')
            bits |= 1u << shift;
        if (execute == 's' || execute == 'S' || execute == 't' || execute == 'T')
            bits |= kSpecial[triad];
    }
    return bits;
}

// Lines that are no entry on purpose: blank ones, the "total" summary, "." and "..".
bool isKnownNonEntry(std::string_view line) {
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    if (line.empty() || line.rfind("total", 0) == 0)
        return true;
    const auto blank = line.find_last_of(" \t");
    const std::string_view last = blank == std::string_view::npos ? line : line.substr(blank + 1);
    return last == "." || last == "..";
}

bool isNavigationName(std::string_view name) {
    return name == "." || name == "..";
}

bool parseUnixLine(std::string_view line, const RemoteTime& now, RemoteEntry& entry) {
    const auto tokens = tokenize(line, 8);
    if (tokens.size() < 7 || tokens[0].text().size() < 10)
        return false;
    // The date columns sit after the size: month at 5 with a group column, at 4 without.
    for (const std::size_t month : {std::size_t{5}, std::size_t{4}}) {
        if (tokens.size() < month + 3)
            continue;
        if (!unixTime(tokens[month].text(), tokens[month + 1].text(), tokens[month + 2].text(), now,
                      entry.time) ||
            !parseNumber(tokens[month - 1].text(), entry.size))
            continue;
        // The name starts after the single blank that follows the time or year, so names
        // with leading or inner blanks are kept whole.
        const std::size_t nameStart = tokens[month + 2].end + 1;
        if (nameStart >= line.size())
            return false;
        entry.name = line.substr(nameStart);
        const char type = tokens[0].text()[0];
        entry.mode = permissionBits(tokens[0].text());
        entry.directory = type == 'd';
        entry.link = type == 'l';
        if (entry.link) {
            if (const auto arrow = entry.name.find(" -> "); arrow != std::string::npos)
                entry.name.resize(arrow);
        }
        if (entry.directory)
            entry.size = 0;
        return !entry.name.empty() && !isNavigationName(entry.name);
    }
    return false;
}

// "MM-DD-YY" or "MM-DD-YYYY" (also with "/").
bool parseDosDate(std::string_view text, RemoteTime& time) {
    if (text.size() != 8 && text.size() != 10)
        return false;
    if ((text[2] != '-' && text[2] != '/') || text[5] != text[2])
        return false;
    int month = 0;
    int day = 0;
    int year = 0;
    if (!parseNumber(text.substr(0, 2), month) || !parseNumber(text.substr(3, 2), day) ||
        !parseNumber(text.substr(6), year) || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    time.month = static_cast<std::int8_t>(month);
    time.day = static_cast<std::int8_t>(day);
    time.year = static_cast<std::int16_t>(
        text.size() == 10 ? year : (year < 70 ? 2000 + year : 1900 + year));
    return true;
}

// "HH:MMAM", "HH:MMPM" or a 24-hour "HH:MM".
bool parseDosClock(std::string_view text, RemoteTime& time) {
    int adjust = -1;
    if (text.size() > 2) {
        const std::string_view suffix = text.substr(text.size() - 2);
        if (suffix == "AM" || suffix == "am")
            adjust = 0;
        else if (suffix == "PM" || suffix == "pm")
            adjust = 12;
        if (adjust >= 0)
            text.remove_suffix(2);
    }
    if (!parseClock(text, time))
        return false;
    if (adjust >= 0) {
        if (time.hour < 1 || time.hour > 12)
            return false;
        time.hour = time.hour % 12 + adjust;
    }
    return true;
}

bool parseDosLine(std::string_view line, RemoteEntry& entry) {
    const auto tokens = tokenize(line, 3);
    if (tokens.size() < 3)
        return false;
    if (!parseDosDate(tokens[0].text(), entry.time) || !parseDosClock(tokens[1].text(), entry.time))
        return false;
    if (tokens[2].text() == "<DIR>") {
        entry.directory = true;
    } else {
        if (!parseNumber(tokens[2].text(), entry.size))
            return false;
    }
    // The name is the rest of the line after the blanks that follow the size column.
    std::size_t nameStart = tokens[2].end;
    while (nameStart < line.size() && isBlank(line[nameStart]))
        ++nameStart;
    entry.name = line.substr(nameStart);
    if (entry.name.empty() || isNavigationName(entry.name))
        return false;
    return true;
}

// Fills the entry from one line; false for a line that is no entry.
bool parseInto(std::string_view line, const RemoteTime& now, RemoteEntry& entry) {
    if (line.empty())
        return false;
    return isDigit(line[0]) ? parseDosLine(line, entry) : parseUnixLine(line, now, entry);
}

} // namespace

RemoteTime currentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {static_cast<std::int16_t>(local.tm_year + 1900),
            static_cast<std::int8_t>(local.tm_mon + 1), static_cast<std::int8_t>(local.tm_mday),
            static_cast<std::int8_t>(local.tm_hour), static_cast<std::int8_t>(local.tm_min)};
}

std::optional<RemoteEntry> parseListLine(std::string_view line, const RemoteTime& now) {
    RemoteEntry entry;
    return parseInto(line, now, entry) ? std::optional(std::move(entry)) : std::nullopt;
}

void appendListing(std::string_view listing, const RemoteTime& now,
                   std::vector<RemoteEntry>& entries, std::size_t* unparsed) {
    std::size_t start = 0;
    while (start < listing.size()) {
        auto end = listing.find('\n', start);
        if (end == std::string_view::npos)
            end = listing.size();
        std::string_view line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Parsed in place: listings run to many thousands of lines.
        if (!parseInto(line, now, entries.emplace_back())) {
            entries.pop_back();
            if (unparsed != nullptr && !isKnownNonEntry(line))
                ++*unparsed;
        }
        start = end + 1;
    }
}

} // namespace tarvo::ftp
