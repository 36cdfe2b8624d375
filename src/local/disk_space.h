#pragma once

#include <cstdint>
#include <string>

// Total and free bytes of the file system that holds path; -1 each when it cannot be measured.
struct DiskSpace {
    std::int64_t Total = -1;
    std::int64_t Free = -1;
};

DiskSpace diskSpaceOf(const std::string& path);
