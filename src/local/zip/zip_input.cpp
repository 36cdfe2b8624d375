#include "local/zip/zip_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarvo::zip {

namespace {

constexpr std::size_t CacheSize = 64 * 1024;

} // namespace

ZipResult ZipInput::open(const std::string& path) {
    // Non-blocking, so that naming a FIFO fails below instead of waiting for a writer.
    fd_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status {};
    if (!fd_.valid() || ::fstat(fd_.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        fd_.reset();
        return ZipCannotOpen;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
    cache_.resize(CacheSize);
    return ZipOk;
}

bool ZipInput::fillCache(std::uint64_t offset) {
    for (;;) {
        const ssize_t got =
            ::pread(fd_.get(), cache_.data(), cache_.size(), static_cast<off_t>(offset));
        if (got >= 0) {
            cacheStart_ = offset;
            cacheLength_ = static_cast<std::size_t>(got);
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

bool ZipInput::readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const bool cached = offset >= cacheStart_ && offset < cacheStart_ + cacheLength_;
        if (!cached && (!fillCache(offset) || cacheLength_ == 0)) {
            return false;
        }
        const auto start = static_cast<std::size_t>(offset - cacheStart_);
        const std::size_t take = std::min(size - done, cacheLength_ - start);
        std::memcpy(buffer + done, cache_.data() + start, take);
        done += take;
        offset += take;
    }
    return true;
}

} // namespace tarvo::zip
