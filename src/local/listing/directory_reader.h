#pragma once

#include "local/listing/search_record.h"

#include <functional>
#include <string>
#include <string_view>

namespace tarvo::listing {

struct ReadResult {
    DirectoryListing Listing; // unsorted, in the order the file system returned the entries
    int Error = 0;            // errno of the failure, 0 when the folder was read

    bool ok() const { return Error == 0; }
    // The medium is gone or does not answer (the panel blanks its path); any other failure
    // just means the folder cannot be listed.
    bool notReady() const;
};

// True for the errno values that mean "the drive is not ready" rather than "no such folder" or
// "access denied".
bool isNotReadyError(int error);

// Picks the names a listing keeps; an empty filter keeps every name.
using NameFilter = std::function<bool(std::string_view name)>;

// Reads every entry of the folder at path except "." and "..", hidden ones included; with a
// filter, only the names it keeps, chosen before anything else is asked of the file system.
// A symbolic link is listed with its target's kind and data; a link whose target cannot be
// reached (dangling, a loop) is listed as a file with the link's own data. An entry that
// cannot be examined but whose kind the folder reports is kept with size and time 0; one that
// vanished between reading the folder and examining it is left out. A failure to open or read
// the folder gives empty lists and its errno.
ReadResult readDirectory(const std::string& path, const NameFilter& filter = {});

} // namespace tarvo::listing
