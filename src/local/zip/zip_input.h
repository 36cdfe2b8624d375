#pragma once

// ZipInput: the archive file being read. Headers are read a few bytes at a time, so reads are
// served from a block cache.

#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::zip {

class ZipInput {
public:
    // Opens an existing regular file for reading.
    ZipResult open(const std::string& path);
    std::uint64_t size() const { return size_; }
    // Reads exactly `size` bytes at `offset`.
    bool readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size);

private:
    bool fillCache(std::uint64_t offset);

    UniqueFd fd_;
    std::uint64_t size_ = 0;
    std::vector<std::uint8_t> cache_;
    std::uint64_t cacheStart_ = 0;
    std::size_t cacheLength_ = 0;
};

} // namespace tarvo::zip
