#pragma once

// The DOS date and time of zip headers: local time, two-second steps, years 1980 to 2107.

#include <cstdint>

namespace tarvo::zip {

struct DosTimestamp {
    std::uint16_t time = 0; // hour << 11 | minute << 5 | second / 2
    std::uint16_t date = 0; // (year - 1980) << 9 | month << 5 | day
};

// The local time of `unixSeconds`; times outside the DOS range are clamped to its first or
// last moment instead of wrapping into a wrong year.
DosTimestamp dosTimestampFromUnix(std::int64_t unixSeconds);

// The Unix time of a DOS timestamp read as local time.
std::int64_t unixFromDosTimestamp(DosTimestamp stamp);

} // namespace tarvo::zip
