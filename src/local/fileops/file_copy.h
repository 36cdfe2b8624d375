#pragma once

#include "local/fileops/data_path.h"

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

namespace tarvo::fileops {

// The largest step of data between two looks at the stop request and two progress reports.
inline constexpr std::int64_t kMaxStep = 8 << 20;

struct FileCopyRequest {
    int sourceFd = -1;           // the regular file, open for reading
    const struct stat* source{}; // its status, from that descriptor
    int targetFolderFd = -1;
    std::string name;           // in the target folder
    bool replace = false;       // an existing entry of that name is to be replaced
    bool tryClone = true;       // ask the file system to share the blocks first; cleared
                                // when it cannot, so the next file does not ask again
    DataRoute* route = nullptr; // what the data path learnt about these file systems
};

// Copies a regular file into its target folder: the data goes into a new file there, over the
// source's data extents only (holes stay holes), in steps of at most kMaxStep; the new file
// takes the source's permission bits and times and appears under its name only when complete.
// `moved` hears of every step's bytes. Returns 0, ECANCELED when stopped, or the error; a file
// that is not done leaves nothing behind and the existing entry as it was.
int copyRegularFile(FileCopyRequest& request, DataPath& data, std::stop_token stop,
                    const std::function<void(std::int64_t)>& moved);

} // namespace tarvo::fileops
