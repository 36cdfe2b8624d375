#pragma once

// The entries a pack adds for its paths: each folder before its contents, names in byte order
// within a folder (so the same tree gives the same archive on every run), kinds from lstat.
// Symbolic links are never followed, and what is neither a regular file nor a folder is left
// out; both are reported, as is a folder that cannot be read.

#include "local/zip/zip_api.h"

#include <stop_token>
#include <string>
#include <vector>

namespace tarvo::zip {

struct PackSkip {
    std::string path;
    std::string reason;
    bool link = false; // a symbolic link: left out by design rather than by a failure
};

struct PackWalk {
    std::vector<ZipAddRequest> requests;
    std::vector<std::size_t> origins; // for each request, the index of the path it came from
    std::vector<PackSkip> skipped;
    bool stopped = false; // the stop token ended the walk early
};

// A path's entries are named from its last component down ("dir/sub/file"); a path ending in
// "." or ".." contributes its contents without a folder entry of its own. Files in `leaveOut`
// (the archive being written, the one it replaces) are passed over silently.
PackWalk walkForPacking(const std::vector<std::string>& paths,
                        const std::vector<FileIdentity>& leaveOut = {},
                        const std::stop_token& stop = {});

} // namespace tarvo::zip
