#pragma once

// The entries `zipbench pack` adds for its paths: each folder before its contents, names in
// byte order within a folder, symbolic links left out.

#include "local/zip/zip_api.h"

#include <string>
#include <vector>

struct PackWalk {
    std::vector<tarvo::zip::ZipAddRequest> requests;
    std::vector<std::string> skippedLinks;
    std::vector<std::string> errors;
};

// A path's entries are named from its last component down ("dir/sub/file"); a path ending in
// "." or ".." contributes its contents without a folder entry of its own.
PackWalk walkForPacking(const std::vector<std::string>& paths);
