#pragma once

#include <cstdint>
#include <string>

struct statvfs;

// Used and free bytes of the file system that holds path; -1 each when it cannot be measured.
struct DiskSpace {
    std::int64_t Used = -1;
    std::int64_t Free = -1;
};

// Used is what the file system's blocks hold, the reserved ones not counted as used (as `df`
// shows it); Free is the space an ordinary user may still write.
DiskSpace diskSpaceFrom(const struct statvfs& info);

DiskSpace diskSpaceOf(const std::string& path);
