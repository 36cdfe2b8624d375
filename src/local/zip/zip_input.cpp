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

ZipInput& self(voidpf opaque) {
    return *static_cast<ZipInput*>(opaque);
}

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

zlib_filefunc64_def ZipInput::fileFunctions() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openCallback;
    functions.zread_file = readCallback;
    functions.zwrite_file = writeCallback;
    functions.ztell64_file = tellCallback;
    functions.zseek64_file = seekCallback;
    functions.zclose_file = closeCallback;
    functions.zerror_file = errorCallback;
    functions.opaque = this;
    return functions;
}

bool ZipInput::fillCache() {
    for (;;) {
        const ssize_t got =
            ::pread(fd_.get(), cache_.data(), cache_.size(), static_cast<off_t>(position_));
        if (got >= 0) {
            cacheStart_ = position_;
            cacheLength_ = static_cast<std::size_t>(got);
            return true;
        }
        if (errno != EINTR) {
            error_ = true;
            return false;
        }
    }
}

std::size_t ZipInput::read(std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const bool cached = position_ >= cacheStart_ && position_ < cacheStart_ + cacheLength_;
        if (!cached && (!fillCache() || cacheLength_ == 0)) {
            break;
        }
        const std::size_t offset = static_cast<std::size_t>(position_ - cacheStart_);
        const std::size_t take = std::min(size - done, cacheLength_ - offset);
        std::memcpy(buffer + done, cache_.data() + offset, take);
        done += take;
        position_ += take;
    }
    return done;
}

bool ZipInput::readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    const std::uint64_t kept = position_;
    position_ = offset;
    const bool complete = read(buffer, size) == size;
    position_ = kept;
    return complete;
}

voidpf ZipInput::openCallback(voidpf opaque, const void*, int) {
    return self(opaque).fd_.valid() ? opaque : nullptr;
}

uLong ZipInput::readCallback(voidpf opaque, voidpf, void* buffer, uLong size) {
    return self(opaque).read(static_cast<std::uint8_t*>(buffer), size);
}

uLong ZipInput::writeCallback(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZipInput::tellCallback(voidpf opaque, voidpf) {
    return self(opaque).position_;
}

long ZipInput::seekCallback(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
    ZipInput& input = self(opaque);
    std::uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = input.position_;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = input.size_;
        break;
    default:
        return -1;
    }
    input.position_ = base + offset;
    return 0;
}

// The descriptor belongs to the input and is closed with it.
int ZipInput::closeCallback(voidpf, voidpf) {
    return 0;
}

int ZipInput::errorCallback(voidpf opaque, voidpf) {
    return self(opaque).error_ ? 1 : 0;
}

} // namespace tarvo::zip
