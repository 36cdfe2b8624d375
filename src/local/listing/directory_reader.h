#pragma once

#include "local/listing/search_record.h"

#include <dirent.h>
#include <functional>
#include <string>
#include <string_view>

namespace tarvo::listing {

struct ReadResult {
    DirectoryListing Listing; // unsorted, in the order the file system returned the entries
    int Error = 0;            // errno of the failure, 0 when the whole folder was read
    // The folder was opened but reading it stopped early (a medium pulled out, a network mount
    // that went away): Listing holds the entries read before the failure.
    bool Partial = false;

    bool ok() const { return Error == 0; }
};

// The calls a folder is read with. Tests replace them to make a read fail where a real medium
// fails: at the start (a drive that is not ready) or part-way through.
struct DirectoryCalls {
    std::function<DIR*(const char* path)> open = ::opendir;
    std::function<dirent*(DIR* dir)> next = ::readdir;
};

// Picks the names a listing keeps; an empty filter keeps every name.
using NameFilter = std::function<bool(std::string_view name)>;

// Reads every entry of the folder at path except "." and "..", hidden ones included; with a
// filter, only the names it keeps, chosen before anything else is asked of the file system.
// A symbolic link is listed with its target's kind and data; a link whose target cannot be
// reached (dangling, a loop) is listed as a file with the link's own data. An entry that
// cannot be examined but whose kind the folder reports is kept with size and time 0; one that
// vanished between reading the folder and examining it is left out. A folder that cannot be
// opened gives empty lists and its errno; one whose reading fails part-way gives the entries
// read so far, the errno and Partial.
ReadResult readDirectory(const std::string& path, const DirectoryCalls& calls = {},
                         const NameFilter& filter = {});

} // namespace tarvo::listing
