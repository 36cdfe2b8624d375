#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::ftp {

// A listing time as the server shows it (its own clock, no time zone); minute precision.
struct RemoteTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;

    friend auto operator<=>(const RemoteTime&, const RemoteTime&) = default;
};

struct RemoteEntry {
    std::string name;
    bool directory = false;
    bool link = false; // a symbolic link; its target is not followed, so directory is false
    std::uint64_t size = 0;
    RemoteTime time;
};

RemoteTime currentLocalTime();

// One line of a LIST reply in the Unix form (with or without the group column) or the
// MS-DOS form. Summary lines ("total 12"), "." and "..", and lines of no known form give
// nothing. `now` places dates that carry a time instead of a year.
std::optional<RemoteEntry> parseListLine(std::string_view line, const RemoteTime& now);

// Every entry of a whole LIST reply (lines end with CR LF or LF).
std::vector<RemoteEntry> parseListing(std::string_view listing, const RemoteTime& now);

} // namespace tarvo::ftp
