#include "local/zip/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tarvo::zip {

namespace {

bool readInfo(int fd, SourceInfo& info) {
    struct statx status {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &status) != 0 ||
        !S_ISREG(status.stx_mode)) {
        return false;
    }
    info.size = status.stx_size;
    info.mode = status.stx_mode;
    info.accessTime = status.stx_atime.tv_sec;
    info.modificationTime = status.stx_mtime.tv_sec;
    info.creationTime =
        (status.stx_mask & STATX_BTIME) != 0 ? status.stx_btime.tv_sec : info.modificationTime;
    return true;
}

} // namespace

ZipResult SourceFile::open(const std::string& path, SourceFile& source) {
    // Checked before opening, since merely opening some devices has effects; checked again
    // on the open descriptor in case the name was replaced in between.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return ZipCannotOpen;
    }
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid() || !readInfo(fd.get(), source.info_)) {
        return ZipCannotOpen;
    }
    source.fd_ = std::move(fd);
    return ZipOk;
}

bool SourceFile::unchangedAfterReading(std::uint64_t bytesRead) const {
    struct stat status {};
    return bytesRead == info_.size && ::fstat(fd_.get(), &status) == 0 &&
           static_cast<std::uint64_t>(status.st_size) == info_.size;
}

} // namespace tarvo::zip
