#pragma once

// ZipInput: the archive file being read. Headers are read a few bytes at a time, so reads are
// served from a block cache. It keeps two blocks, since reading an entry's facts alternates
// between its central record at the archive's end and its local header at the front.

#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::zip {

class ZipInput {
public:
    // Opens an existing regular file for reading.
    ZipResult open(const std::string& path);
    std::uint64_t size() const { return size_; }
    // The file's status when it was opened: which file, of what size and age, was read.
    const struct stat& status() const { return status_; }
    // Reads exactly `size` bytes at `offset`.
    bool readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size);

private:
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t lastUse = 0;
    };
    // The block holding `offset`, read in place of the block used longest ago when no block
    // holds it; null when it cannot be read or lies past the end.
    const Block* blockAt(std::uint64_t offset);

    UniqueFd fd_;
    struct stat status_ {};
    std::uint64_t size_ = 0;
    std::array<Block, 2> blocks_;
    std::uint64_t uses_ = 0;
};

} // namespace tarvo::zip
