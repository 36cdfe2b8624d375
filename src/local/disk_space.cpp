#include "local/disk_space.h"

#include <sys/statvfs.h>

DiskSpace diskSpaceFrom(const struct statvfs& info) {
    const auto unit = static_cast<std::int64_t>(info.f_frsize);
    return {static_cast<std::int64_t>(info.f_blocks - info.f_bfree) * unit,
            static_cast<std::int64_t>(info.f_bavail) * unit};
}

DiskSpace diskSpaceOf(const std::string& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0)
        return {};
    return diskSpaceFrom(info);
}
