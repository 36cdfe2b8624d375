#include "platform/ftp/list_parser.h"

#include <array>
#include <ctime>
#include <limits>

namespace tarvo::ftp {

namespace {

struct Token {
    std::string_view text;
    std::size_t end = 0; // offset just past the token in the line
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
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
        tokens.items[tokens.count++] = {
            std::string_view(start, static_cast<std::size_t>(pos - start)),
            static_cast<std::size_t>(pos - begin)};
    }
    return tokens;
}

// Plain decimal digits only; short enough that the value cannot overflow.
template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    if (text.empty() ||
        text.size() > static_cast<std::size_t>(std::numeric_limits<Number>::digits10))
        return std::nullopt;
    Number value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = static_cast<Number>(value * 10 + (c - '0'));
    }
    return value;
}

int monthNumber(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3)
        return 0;
    const char lower[3] = {static_cast<char>(text[0] | 0x20), static_cast<char>(text[1] | 0x20),
                           static_cast<char>(text[2] | 0x20)};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (std::string_view(lower, 3) == kMonths[i])
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// "HH:MM" into the hour and minute of the time.
bool parseClock(std::string_view text, RemoteTime& time) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    const auto h = parseNumber<int>(text.substr(0, colon));
    const auto m = parseNumber<int>(text.substr(colon + 1));
    if (!h || !m || *h > 23 || *m > 59 || *h < 0 || *m < 0)
        return false;
    time.hour = static_cast<std::int8_t>(*h);
    time.minute = static_cast<std::int8_t>(*m);
    return true;
}

// Month, day and "HH:MM" or year of a Unix line; a time means the latest such date that is
// not in the future.
std::optional<RemoteTime> unixTime(std::string_view month, std::string_view day,
                                   std::string_view timeOrYear, const RemoteTime& now) {
    RemoteTime time;
    time.month = monthNumber(month);
    const auto dayNumber = parseNumber<int>(day);
    if (time.month == 0 || !dayNumber || *dayNumber < 1 || *dayNumber > 31)
        return std::nullopt;
    time.day = *dayNumber;
    if (timeOrYear.find(':') != std::string_view::npos) {
        if (!parseClock(timeOrYear, time))
            return std::nullopt;
        time.year = now.year;
        if (time > now)
            --time.year;
        return time;
    }
    const auto year = parseNumber<int>(timeOrYear);
    if (!year || *year < 1 || *year > 9999)
        return std::nullopt;
    time.year = *year;
    return time;
}

bool isNavigationName(std::string_view name) {
    return name == "." || name == "..";
}

bool parseUnixLine(std::string_view line, const RemoteTime& now, RemoteEntry& entry) {
    const auto tokens = tokenize(line, 8);
    if (tokens.size() < 7 || tokens[0].text.size() < 10)
        return false;
    // The date columns sit after the size: month at 5 with a group column, at 4 without.
    for (const std::size_t month : {std::size_t{5}, std::size_t{4}}) {
        if (tokens.size() < month + 3)
            continue;
        const auto time =
            unixTime(tokens[month].text, tokens[month + 1].text, tokens[month + 2].text, now);
        const auto size = parseNumber<std::uint64_t>(tokens[month - 1].text);
        if (!time || !size)
            continue;
        // The name starts after the single blank that follows the time or year, so names
        // with leading or inner blanks are kept whole.
        const std::size_t nameStart = tokens[month + 2].end + 1;
        if (nameStart >= line.size())
            return false;
        entry.name = line.substr(nameStart);
        const char type = tokens[0].text[0];
        entry.directory = type == 'd';
        entry.link = type == 'l';
        if (entry.link) {
            if (const auto arrow = entry.name.find(" -> "); arrow != std::string::npos)
                entry.name.resize(arrow);
        }
        entry.size = entry.directory ? 0 : *size;
        entry.time = *time;
        if (entry.name.empty() || isNavigationName(entry.name))
            return false;
        return true;
    }
    return false;
}

// "MM-DD-YY" or "MM-DD-YYYY" (also with "/").
bool parseDosDate(std::string_view text, RemoteTime& time) {
    if (text.size() != 8 && text.size() != 10)
        return false;
    if ((text[2] != '-' && text[2] != '/') || text[5] != text[2])
        return false;
    const auto month = parseNumber<int>(text.substr(0, 2));
    const auto day = parseNumber<int>(text.substr(3, 2));
    const auto year = parseNumber<int>(text.substr(6));
    if (!month || !day || !year || *month < 1 || *month > 12 || *day < 1 || *day > 31)
        return false;
    time.month = *month;
    time.day = *day;
    time.year = text.size() == 10 ? *year : (*year < 70 ? 2000 + *year : 1900 + *year);
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
    if (!parseDosDate(tokens[0].text, entry.time) || !parseDosClock(tokens[1].text, entry.time))
        return false;
    if (tokens[2].text == "<DIR>") {
        entry.directory = true;
    } else {
        const auto size = parseNumber<std::uint64_t>(tokens[2].text);
        if (!size)
            return false;
        entry.size = *size;
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
                   std::vector<RemoteEntry>& entries) {
    std::size_t start = 0;
    while (start < listing.size()) {
        auto end = listing.find('\n', start);
        if (end == std::string_view::npos)
            end = listing.size();
        std::string_view line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Parsed in place: listings run to many thousands of lines.
        if (!parseInto(line, now, entries.emplace_back()))
            entries.pop_back();
        start = end + 1;
    }
}

} // namespace tarvo::ftp
