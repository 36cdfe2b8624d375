#include "local/listing/entry_stat.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tarvo::listing {

namespace {

// Only what a panel shows: asking for less lets network and FUSE file systems answer faster.
constexpr unsigned kWantedFields = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME;

std::int32_t attributesFor(const std::string& name, mode_t mode) {
    std::int32_t attr = 0;
    if (S_ISDIR(mode))
        attr |= Directory;
    else if (S_ISREG(mode))
        attr |= Archive;
    if ((mode & S_IWUSR) == 0)
        attr |= ReadOnly;
    if (!name.empty() && name.front() == '.')
        attr |= Hidden;
    return attr;
}

void fillFromStat(SearchRecord& record, const struct statx& status) {
    record.Attr = attributesFor(record.Name, status.stx_mode);
    record.Size = S_ISDIR(status.stx_mode) ? 0 : status.stx_size;
    record.Time = status.stx_mtime.tv_sec;
}

bool statAt(int dirFd, const std::string& name, int flags, struct statx& status) {
    return ::statx(dirFd, name.c_str(), flags, kWantedFields, &status) == 0;
}

} // namespace

std::optional<SearchRecord> statEntry(int dirFd, std::string name, unsigned char direntType) {
    SearchRecord record;
    record.Name = std::move(name);
    struct statx status {};
    record.IsSymlink = direntType == DT_LNK;
    if (direntType == DT_UNKNOWN && statAt(dirFd, record.Name, AT_SYMLINK_NOFOLLOW, status))
        record.IsSymlink = S_ISLNK(status.stx_mode);

    if (statAt(dirFd, record.Name, 0, status)) {
        fillFromStat(record, status);
        return record;
    }
    const int followError = errno;
    // A link whose target is missing or unreachable is still there: show the link itself,
    // which is neither a folder nor a regular file.
    if (record.IsSymlink && statAt(dirFd, record.Name, AT_SYMLINK_NOFOLLOW, status)) {
        fillFromStat(record, status);
        return record;
    }
    if (followError == ENOENT)
        return std::nullopt; // removed while the folder was being read
    // Examining failed (no search permission on the folder, an I/O error): keep the entry so
    // later operations do not miss it, with what the folder listing told about it.
    // Its permissions are unknown, so it is not claimed read-only.
    record.Attr = attributesFor(record.Name, DTTOIF(direntType) | S_IWUSR);
    return record;
}

} // namespace tarvo::listing
