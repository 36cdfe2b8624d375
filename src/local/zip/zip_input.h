#pragma once

// ZipInput: the archive file as minizip reads it, through file functions of our own. minizip
// reads headers a few bytes at a time, so reads are served from a block cache.

#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <unzip.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::zip {

class ZipInput {
public:
    // Opens an existing regular file for reading.
    ZipResult open(const std::string& path);
    // The file functions to hand to minizip; valid while this input lives.
    zlib_filefunc64_def fileFunctions();
    std::uint64_t size() const { return size_; }
    // Reads exactly `size` bytes at `offset`, leaving minizip's position alone.
    bool readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size);

private:
    static voidpf openCallback(voidpf opaque, const void* name, int mode);
    static uLong readCallback(voidpf opaque, voidpf stream, void* buffer, uLong size);
    static uLong writeCallback(voidpf opaque, voidpf stream, const void* buffer, uLong size);
    static ZPOS64_T tellCallback(voidpf opaque, voidpf stream);
    static long seekCallback(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
    static int closeCallback(voidpf opaque, voidpf stream);
    static int errorCallback(voidpf opaque, voidpf stream);

    std::size_t read(std::uint8_t* buffer, std::size_t size);
    bool fillCache();

    UniqueFd fd_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    bool error_ = false;
    std::vector<std::uint8_t> cache_;
    std::uint64_t cacheStart_ = 0;
    std::size_t cacheLength_ = 0;
};

} // namespace tarvo::zip
