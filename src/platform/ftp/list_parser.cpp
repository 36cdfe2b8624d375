#include "platform/ftp/list_parser.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <ctime>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// thousands of lines. Room for owner and group names with a few blanks in them.
constexpr std::size_t kMaxTokens = 16;

struct Tokens {
    std::array<Token, kMaxTokens> items;
    std::size_t count = 0;

    std::size_t size() const { return count; }
    const Token& operator[](std::size_t i) const { return items[i]; }
    // How many blanks stand between field i and the one before it.
    std::size_t blanksBefore(std::size_t i) const {
        return static_cast<std::size_t>(items[i].start - items[i - 1].start) - items[i - 1].length;
    }
};

// Bit k set where byte k of the eight in `word` (memory order) is a blank. A listing line is
// taken apart by these masks rather than byte by byte: the mispredicted branch at every column
// edge of a byte loop was a third of a long listing's parse.
std::uint64_t blankBits(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f;
    // 0x80 in each byte of x that is zero, and nowhere else.
    const auto zeroBytes = [](std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); };
    const std::uint64_t high =
        zeroBytes(word ^ 0x2020202020202020) | zeroBytes(word ^ 0x0909090909090909);
    // Moves the flag of byte k (bit 8k after the shift) to bit k.
    return (high >> 7) * 0x0102040810204080 >> 56;
}

#if defined(__SSE2__)
// Bit k set where byte k of the sixteen at `text` is a blank.
std::uint64_t blankBits16(const char* text) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i blanks = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(blanks));
}
#endif

// Bit k set where byte k of the eight at `text` is a blank.
std::uint64_t blankBits8(const char* text) {
    std::uint64_t word = 0;
    std::memcpy(&word, text, sizeof word);
    return blankBits(word);
}

// Bit k set where text[k] is a blank, for the first `size` (at most 64) bytes: in steps of
// `step` bytes that `bits` reads, the last step reaching back into the one before.
template <std::size_t step>
std::uint64_t blankMaskBy(const char* text, std::size_t size, std::uint64_t (*bits)(const char*)) {
    std::uint64_t mask = 0;
    std::size_t k = 0;
    for (; k + step <= size; k += step)
        mask |= bits(text + k) << k;
    if (k < size)
        mask |= bits(text + size - step) >> (step - (size - k)) << k;
    return mask;
}

std::uint64_t blankMask(const char* text, std::size_t size) {
#if defined(__SSE2__)
    if (size >= 16)
        return blankMaskBy<16>(text, size, blankBits16);
#endif
    if constexpr (std::endian::native == std::endian::little) {
        if (size >= 8)
            return blankMaskBy<8>(text, size, blankBits8);
    }
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < size; ++k)
        mask |= static_cast<std::uint64_t>(isBlank(text[k])) << k;
    return mask;
}

Tokens tokenize(std::string_view line, std::size_t maxTokens) {
    Tokens tokens;
    const char* const begin = line.data();
    std::size_t start = 0;   // of the field being read, when `reading`
    bool reading = false;    // a field began and has not ended yet
    std::uint64_t carry = 0; // 1 when the last byte of the block before was no blank
    for (std::size_t block = 0; block < line.size(); block += 64) {
        const std::size_t size = std::min<std::size_t>(64, line.size() - block);
        // Past the line's end counts as blank: it ends the last field.
        std::uint64_t fields = ~blankMask(begin + block, size);
        if (size < 64)
            fields &= (std::uint64_t{1} << size) - 1;
        const std::uint64_t before = fields << 1 | carry; // whether the byte before is no blank
        std::uint64_t starts = fields & ~before;
        std::uint64_t ends = ~fields & before; // the first blank after a field
        carry = fields >> 63;
        for (;;) {
            if (!reading) {
                if (starts == 0)
                    break;
                start = block + static_cast<std::size_t>(std::countr_zero(starts));
                starts &= starts - 1;
                reading = true;
            }
            if (ends == 0)
                break; // the field goes on into the next block
            const std::size_t end = block + static_cast<std::size_t>(std::countr_zero(ends));
            ends &= ends - 1;
            tokens.items[tokens.count++] = {begin + start, end - start, end};
            reading = false;
            if (tokens.count == maxTokens)
                return tokens;
        }
    }
    if (reading) // a field up to the end of a line of a multiple of 64 bytes
        tokens.items[tokens.count++] = {begin + start, line.size() - start, line.size()};
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
    if (timeOrYear.size() != 4 || !parseNumber(timeOrYear, year))
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

bool isNavigationName(std::string_view name) {
    return name == "." || name == "..";
}

enum class LineKind { Entry, Ignored, Unreadable };

// The size column: a plain decimal number, anything else 0. A device shows "major, minor"
// there, of which the minor number must not pass for a size.
std::uint64_t sizeBefore(const Tokens& tokens, std::size_t month) {
    std::uint64_t size = 0;
    const std::string_view text = tokens[month - 1].text();
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    const bool device = month >= 3 && tokens[month - 2].text().back() == ',';
    return error == std::errc() && end == text.data() + text.size() && !device ? size : 0;
}

// Where the name begins. The time-or-year column is five wide: "12:34" or, in GNU ls, a year
// right-aligned to " 2007", then one blank; there the columns show a name's own leading
// blanks. Servers that left-align the year ("Mar 11 2007  name") pad it instead, so after a
// year that follows a single blank the name begins at the next non-blank.
std::size_t nameStart(std::string_view line, const Tokens& tokens, std::size_t timeOrYear) {
    const Token& column = tokens[timeOrYear];
    if (column.length == 5 || tokens.blanksBefore(timeOrYear) >= 2)
        return column.end + 1;
    std::size_t start = column.end;
    while (isBlank(line[start]))
        ++start;
    return start;
}

// "YYYY-MM-DD" and "HH:MM", as "ls -l --time-style=long-iso" prints them.
bool isoTime(std::string_view date, std::string_view clock, RemoteTime& time) {
    time = RemoteTime{};
    int year = 0;
    int month = 0;
    int day = 0;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
        !parseNumber(date.substr(0, 4), year) || !parseNumber(date.substr(5, 2), month) ||
        !parseNumber(date.substr(8, 2), day) || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    time.year = static_cast<std::int16_t>(year);
    time.month = static_cast<std::int8_t>(month);
    time.day = static_cast<std::int8_t>(day);
    return parseClock(clock, time);
}

// The columns of a line's date: the first, and the last, after which the name begins.
struct DateColumns {
    std::size_t first = 0;
    std::size_t last = 0;
};

// Month, day and time-or-year at `first`, or an ISO date and time there; a name after them.
bool dateAt(const Tokens& tokens, std::size_t first, const RemoteTime& now, DateColumns& date,
            RemoteTime& time) {
    if (first < 2)
        return false;
    date.first = first;
    if (first + 3 < tokens.size() && unixTime(tokens[first].text(), tokens[first + 1].text(),
                                              tokens[first + 2].text(), now, time)) {
        date.last = first + 2;
        return true;
    }
    date.last = first + 1;
    return first + 2 < tokens.size() &&
           isoTime(tokens[first].text(), tokens[first + 1].text(), time);
}

// The date: where the nine- or eight-column forms have it, else the first place from the left
// where a date follows (a date inside a name lies further right).
bool findDate(const Tokens& tokens, const RemoteTime& now, DateColumns& date, RemoteTime& time) {
    for (std::size_t first = 5; first >= 4; --first) {
        if (dateAt(tokens, first, now, date, time))
            return true;
    }
    for (std::size_t first = 2; first + 2 < tokens.size(); ++first) {
        if (first != 4 && first != 5 && dateAt(tokens, first, now, date, time))
            return true;
    }
    return false;
}

LineKind parseUnixLine(std::string_view line, const RemoteTime& now, RemoteEntry& entry) {
    if (line.front() == 't')
        return LineKind::Ignored; // the summary line, "total 12"
    const auto tokens = tokenize(line, kMaxTokens);
    DateColumns date;
    if (!findDate(tokens, now, date, entry.time))
        return LineKind::Unreadable;
    entry.name = line.substr(nameStart(line, tokens, date.last));
    const char type = line.front();
    entry.directory = type == 'd';
    entry.link = type == 'l';
    entry.mode = permissionBits(tokens[0].text());
    entry.size = entry.directory ? 0 : sizeBefore(tokens, date.first);
    if (entry.link) {
        if (const auto arrow = entry.name.find(" -> "); arrow != std::string::npos)
            entry.name.resize(arrow);
    }
    if (isNavigationName(entry.name))
        return LineKind::Ignored;
    return entry.name.empty() ? LineKind::Unreadable : LineKind::Entry;
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

// A size no file can have reads as 0, as in the Unix form.
bool isNegativeNumber(std::string_view text) {
    std::uint64_t magnitude = 0;
    return text.size() > 1 && text[0] == '-' && parseNumber(text.substr(1), magnitude);
}

LineKind parseDosLine(std::string_view line, RemoteEntry& entry) {
    const auto tokens = tokenize(line, 3);
    if (tokens.size() < 3 || !parseDosDate(tokens[0].text(), entry.time) ||
        !parseDosClock(tokens[1].text(), entry.time))
        return LineKind::Unreadable;
    const std::string_view size = tokens[2].text();
    if (size == "<DIR>")
        entry.directory = true;
    else if (!parseNumber(size, entry.size) && !isNegativeNumber(size))
        return LineKind::Unreadable;
    // The name is the rest of the line after the blanks that follow the size column.
    std::size_t nameStart = tokens[2].end;
    while (nameStart < line.size() && isBlank(line[nameStart]))
        ++nameStart;
    entry.name = line.substr(nameStart);
    if (isNavigationName(entry.name))
        return LineKind::Ignored;
    return entry.name.empty() ? LineKind::Unreadable : LineKind::Entry;
}

LineKind parseLine(std::string_view line, const RemoteTime& now, RemoteEntry& entry) {
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return LineKind::Ignored;
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

void appendListing(std::string_view listing, const RemoteTime& now, Listing& parsed) {
    std::size_t start = 0;
    while (start < listing.size()) {
        auto end = listing.find('\n', start);
        if (end == std::string_view::npos)
            end = listing.size();
        std::string_view line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Parsed in place: listings run to many thousands of lines.
        const LineKind kind = parseLine(line, now, parsed.entries.emplace_back());
        if (kind != LineKind::Entry)
            parsed.entries.pop_back();
        if (kind == LineKind::Unreadable)
            ++parsed.unreadableLines;
        start = end + 1;
    }
}

} // namespace tarvo::ftp
