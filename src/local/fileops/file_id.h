#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>

namespace tarvo::fileops {

// Which entry a name leads to. Two names of one entry (a hard link, a folder reached through a
// symbolic link, both panels in one folder) share it, whatever their paths say.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;

    static FileId of(const struct stat& status) { return {status.st_dev, status.st_ino}; }
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const {
        return std::hash<unsigned long long>{}(static_cast<unsigned long long>(id.inode) * 31 +
                                               static_cast<unsigned long long>(id.device));
    }
};

// True when the folder open at folderFd is `folder` itself or lies anywhere below it. Climbs the
// physical parents (".."), so a path through a symbolic link does not hide where a folder is.
bool isSameOrBelow(int folderFd, FileId folder);

} // namespace tarvo::fileops
