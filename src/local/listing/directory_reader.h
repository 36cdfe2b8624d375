#pragma once

#include "local/listing/search_record.h"

#include <string>

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

// Reads every entry of the folder at path except "." and "..", hidden ones included.
// A symbolic link is listed with its target's kind and data; a link whose target cannot be
// reached (dangling, a loop) is listed as a file with the link's own data. An entry that
// cannot be examined but whose kind the folder reports is kept with size and time 0; one that
// vanished between reading the folder and examining it is left out. A failure to open or read
// the folder gives empty lists and its errno.
ReadResult readDirectory(const std::string& path);

} // namespace tarvo::listing
