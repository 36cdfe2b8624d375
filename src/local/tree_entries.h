#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// One entry of a local folder as a tree walk sees it: the kind of the entry itself, a link not
// followed.
struct TreeEntry {
    std::string name;
    mode_t type = 0; // S_IFDIR, S_IFREG, S_IFLNK, S_IFIFO, ...
};

// The entries of a local folder in the order the file system gives them, "." and ".." left
// out, read completely before any is worked on. A folder that is a link gives nothing, so a
// walk never leaves its tree or runs in a loop.
std::vector<TreeEntry> readTreeEntries(const std::string& folder);
