#include "local/disk_space.h"

#include <sys/statvfs.h>

DiskSpace diskSpaceOf(const std::string& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0)
        return {};
    const auto unit = static_cast<std::int64_t>(info.f_frsize);
    // The space an ordinary user may still write, as the desktop's file managers show it.
    return {static_cast<std::int64_t>(info.f_blocks) * unit,
            static_cast<std::int64_t>(info.f_bavail) * unit};
}
