#include "local/zip/dos_time.h"

#include <algorithm>
#include <ctime>

namespace tarvo::zip {

namespace {

constexpr int FirstDosYear = 1980;
constexpr int LastDosYear = 2107;

DosTimestamp encode(int year, int month, int day, int hour, int minute, int second) {
    DosTimestamp stamp;
    stamp.date = static_cast<std::uint16_t>((year - FirstDosYear) << 9 | month << 5 | day);
    stamp.time = static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2);
    return stamp;
}

const DosTimestamp FirstDosMoment = encode(FirstDosYear, 1, 1, 0, 0, 0);
const DosTimestamp LastDosMoment = encode(LastDosYear, 12, 31, 23, 59, 58);

} // namespace

DosTimestamp dosTimestampFromUnix(std::int64_t unixSeconds) {
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return unixSeconds < 0 ? FirstDosMoment : LastDosMoment;
    }
    const int year = local.tm_year + 1900;
    if (year < FirstDosYear) {
        return FirstDosMoment;
    }
    if (year > LastDosYear) {
        return LastDosMoment;
    }
    // A leap second (60) would read as the next minute's first two seconds; keep it at :58.
    return encode(year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                  std::min(local.tm_sec, 59));
}

std::int64_t unixFromDosTimestamp(DosTimestamp stamp) {
    std::tm local{};
    local.tm_year = (stamp.date >> 9 & 0x7F) + FirstDosYear - 1900;
    local.tm_mon = (stamp.date >> 5 & 0x0F) - 1;
    local.tm_mday = stamp.date & 0x1F;
    local.tm_hour = stamp.time >> 11 & 0x1F;
    local.tm_min = stamp.time >> 5 & 0x3F;
    local.tm_sec = (stamp.time & 0x1F) * 2;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

} // namespace tarvo::zip
