#include "local/zip/extracted_file.h"

#include "local/zip/file_attributes.h"
#include "platform/posix/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include <zlib.h>

namespace tarvo::zip {

namespace {

bool mayReplace(int folderFd, const std::string& name) {
    struct stat existing {};
    if (::fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    return !S_ISDIR(existing.st_mode) &&
           !(S_ISREG(existing.st_mode) && isReadOnlyMode(existing.st_mode));
}

ZipResult copyVerified(int fd, const ExtractedFileFacts& facts, const EntryDataReader& read,
                       std::vector<std::uint8_t>& buffer) {
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    std::uint64_t total = 0;
    for (;;) {
        const long got = read(buffer.data(), buffer.size());
        if (got < 0) {
            return ZipFlateFailed;
        }
        if (got == 0) {
            break;
        }
        const auto size = static_cast<std::size_t>(got);
        total += size;
        if (total > facts.size) {
            return ZipFlateFailed;
        }
        crc = static_cast<std::uint32_t>(crc32(crc, buffer.data(), static_cast<uInt>(size)));
        if (!writeAll(fd, buffer.data(), size)) {
            return ZipWriteError;
        }
    }
    return total == facts.size && crc == facts.crc ? ZipOk : ZipFlateFailed;
}

// The final touches: the permissions and the times. The file was made with every permission
// the umask lets through, which is how the umask is learnt without changing it (a change
// would reach every thread). The creation time cannot be set on Linux.
ZipResult finishFile(int fd, const ExtractedFileFacts& facts) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return ZipWriteError;
    }
    mode_t permissions = facts.unixPermissions.value_or(0666) & status.st_mode & 0777;
    if (facts.readOnly) {
        permissions &= ~mode_t{0222};
    }
    if (::fchmod(fd, permissions) != 0) {
        return ZipWriteError;
    }
    const struct timespec times[2] = {{static_cast<time_t>(facts.accessTime), 0},
                                      {static_cast<time_t>(facts.modificationTime), 0}};
    return ::futimens(fd, times) == 0 ? ZipOk : ZipWriteError;
}

} // namespace

ZipResult writeExtractedFile(int folderFd, const std::string& name, const ExtractedFileFacts& facts,
                             const EntryDataReader& read, std::vector<std::uint8_t>& buffer) {
    if (!mayReplace(folderFd, name)) {
        return ZipCannotOpen;
    }
    std::string tempName;
    UniqueFd fd = createTempFile(folderFd, tempName, 0777);
    if (!fd.valid()) {
        return ZipCannotOpen;
    }
    ZipResult result = copyVerified(fd.get(), facts, read, buffer);
    if (result == ZipOk) {
        result = finishFile(fd.get(), facts);
    }
    if (result == ZipOk && !fd.close()) {
        result = ZipWriteError;
    }
    if (result == ZipOk && ::renameat(folderFd, tempName.c_str(), folderFd, name.c_str()) != 0) {
        result = ZipCannotOpen;
    }
    if (result != ZipOk) {
        ::unlinkat(folderFd, tempName.c_str(), 0);
    }
    return result;
}

} // namespace tarvo::zip
