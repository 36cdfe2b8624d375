#pragma once

#include "platform/ftp/list_parser.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace tarvo::ftp {

// What a listing hands over while it arrives, besides what find() returns. Both are called one
// call at a time, in the order of the reply, and never after find() has returned; for a reply
// of more than one part, on threads of the listing's own rather than find()'s.
struct ListingSink {
    // Every byte of the reply, in parts, for a raw copy.
    std::function<void(std::string_view bytes)> raw;
    // The entries parsed so far, to be moved from, after each part of the reply, and how many
    // the whole listing is expected to hold, from the bytes read so far; when this is set, the
    // entries find() returns are empty (the count of unreadable lines is kept).
    std::function<void(std::vector<RemoteEntry>& entries, std::size_t expected)> entries;
};

} // namespace tarvo::ftp
