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
    if (!fd_.valid() || ::fstat(fd_.get(), &status_) != 0 || !S_ISREG(status_.st_mode)) {
        fd_.reset();
        return ZipCannotOpen;
    }
    size_ = static_cast<std::uint64_t>(status_.st_size);
    for (Block& block : blocks_) {
        block = Block{};
        block.bytes.resize(CacheSize);
    }
    return ZipOk;
}

const ZipInput::Block* ZipInput::blockAt(std::uint64_t offset) {
    Block* chosen = &blocks_[0];
    for (Block& block : blocks_) {
        if (offset >= block.start && offset < block.start + block.length) {
            block.lastUse = ++uses_;
            return &block;
        }
        if (block.lastUse < chosen->lastUse) {
            chosen = &block;
        }
    }
    for (;;) {
        const ssize_t got = ::pread(fd_.get(), chosen->bytes.data(), chosen->bytes.size(),
                                    static_cast<off_t>(offset));
        if (got > 0) {
            chosen->start = offset;
            chosen->length = static_cast<std::size_t>(got);
            chosen->lastUse = ++uses_;
            return chosen;
        }
        if (got == 0 || errno != EINTR) {
            return nullptr;
        }
    }
}

bool ZipInput::readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const Block* block = blockAt(offset);
        if (block == nullptr) {
            return false;
        }
        const auto start = static_cast<std::size_t>(offset - block->start);
        const std::size_t take = std::min(size - done, block->length - start);
        std::memcpy(buffer + done, block->bytes.data() + start, take);
        done += take;
        offset += take;
    }
    return true;
}

} // namespace tarvo::zip
