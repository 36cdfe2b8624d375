#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::ftp {

// A listing time as the server shows it (its own clock, no time zone); minute precision.
// Small fields keep listings of many thousands of entries compact.
struct RemoteTime {
    std::int16_t year = 0;
    std::int8_t month = 0;
    std::int8_t day = 0;
    std::int8_t hour = 0;
    std::int8_t minute = 0;

    friend auto operator<=>(const RemoteTime&, const RemoteTime&) = default;
};

struct RemoteEntry {
    std::string name;
    bool directory = false;
    bool link = false; // a symbolic link; its target is not followed, so directory is false
    std::uint64_t size = 0;
    RemoteTime time;
    // Permission bits of a Unix line (07777: the set-id and sticky bits too); 0 for other forms.
    std::uint32_t mode = 0;
};

RemoteTime currentLocalTime();

// One line of a LIST reply in the Unix form (with or without the group column) or the
// MS-DOS form. Summary lines ("total 12"), "." and "..", and lines of no known form give
// nothing. `now` places dates that carry a time instead of a year: the latest such date that
// is not later than now. An unknown month name gives January.
std::optional<RemoteEntry> parseListLine(std::string_view line, const RemoteTime& now);

// Appends the entries of complete LIST reply lines (ending with CR LF or LF; a last line
// without its end counts too), so that a listing can be parsed while it arrives. When given,
// unparsed counts the lines that are neither entries nor blank, a summary, "." or "..".
void appendListing(std::string_view lines, const RemoteTime& now, std::vector<RemoteEntry>& entries,
                   std::size_t* unparsed = nullptr);

} // namespace tarvo::ftp
