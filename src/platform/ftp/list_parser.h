#pragma once

#include <cstddef>
#include <cstdint>
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

// A parsed LIST reply.
struct Listing {
    std::vector<RemoteEntry> entries;
    // Lines of no known form, skipped so that the rest is still listed. Summary lines
    // ("total 12"), blank lines and the directories "." and ".." are not counted.
    std::size_t unreadableLines = 0;
};

RemoteTime currentLocalTime();

// Appends the entries of complete LIST reply lines (ending with CR LF or LF; a last line
// without its end counts too), so that a listing can be parsed while it arrives. `now` places
// dates that carry a time instead of a year: the latest such date that is not later than now
// (a 29 February only in a leap year). A month column holding a word that is no month name
// reads as January.
//
// Lines of the Unix "ls -l" family are read by their date: the month, day and time-or-year
// columns (or an ISO date and time, "2005-04-08 11:22") are found first, the size is the column
// before them and the name what follows them. So owner and group columns may be missing or hold
// blanks, and the permission column may be short; its first letter tells directories ("d") and
// links ("l") from files. A size that is no plain number (a device's "major, minor", "33.5k", a
// size glued to the group) reads as 0. Lines that begin with a digit are read in the MS-DOS form,
// where a negative size reads as 0 too.
void appendListing(std::string_view lines, const RemoteTime& now, Listing& listing);

} // namespace tarvo::ftp
