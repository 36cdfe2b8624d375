#pragma once

#include <QLocale>
#include <QString>
#include <QTime>
#include <cstdint>
#include <string>

namespace tarvo::listing {

// The attribute cell: "r" read-only, "a" archive, "h" hidden, "s" system, each or "-".
std::string attributeText(std::int32_t attr);

// The size cell: the exact byte count in decimal, no grouping, no unit.
std::string sizeText(std::uint64_t size);

// The locale's long time format without its time-zone field ("t"); quoted literals are kept.
QString timeFormatWithoutZone(const QLocale& locale);

// The date cell for a last-write time in seconds since the Unix epoch, in local time: the
// locale's short date, a blank and its long time without the time-zone name; the date alone
// when the time of day is exactly midnight.
QString dateText(std::int64_t time, const QLocale& locale);

// The same for a time counted by a server's own clock as if it ran in UTC (no time-zone
// conversion); unknownTime, a time that no listing date gave, shows "1970-01-01".
QString serverDateText(std::int64_t time, std::int64_t unknownTime, const QLocale& locale);

// A time of day in the locale's long format without the time-zone name.
QString timeText(const QTime& time, const QLocale& locale);

} // namespace tarvo::listing
