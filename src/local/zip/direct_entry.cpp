#include "local/zip/direct_entry.h"

#include "local/zip/byte_order.h"
#include "local/zip/zip_records.h"

#include <algorithm>

namespace tarvo::zip {

namespace {

constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CompressedChunk = 16384;

} // namespace

DirectEntry::~DirectEntry() {
    if (inflating_) {
        inflateEnd(&stream_);
    }
}

ZipResult DirectEntry::open(ZipInput& input, const DirectLocation& location,
                            std::vector<std::uint8_t>& localExtra) {
    std::uint8_t header[LocalHeaderSize];
    if (!input.readAt(location.localHeaderOffset, header, sizeof header) ||
        getU32(header) != LocalHeaderSignature) {
        return ZipCorrupt;
    }
    const std::uint64_t extraStart =
        location.localHeaderOffset + LocalHeaderSize + getU16(header + 26);
    localExtra.resize(getU16(header + 28));
    if (!input.readAt(extraStart, localExtra.data(), localExtra.size())) {
        return ZipReadError;
    }
    input_ = &input;
    position_ = extraStart + localExtra.size();
    remaining_ = location.compressedSize;
    method_ = location.method;
    if (method_ == MethodDeflated) {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) {
            return ZipFlateFailed;
        }
        inflating_ = true;
        compressed_.resize(CompressedChunk);
    }
    return ZipOk;
}

long DirectEntry::read(std::uint8_t* buffer, std::size_t size) {
    if (method_ == MethodStored) {
        return readStored(buffer, size);
    }
    return method_ == MethodDeflated ? readDeflated(buffer, size) : -1;
}

long DirectEntry::readStored(std::uint8_t* buffer, std::size_t size) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    if (!input_->readAt(position_, buffer, take)) {
        return -1;
    }
    position_ += take;
    remaining_ -= take;
    return static_cast<long>(take);
}

long DirectEntry::readDeflated(std::uint8_t* buffer, std::size_t size) {
    stream_.next_out = buffer;
    stream_.avail_out = static_cast<uInt>(size);
    while (!finished_ && stream_.avail_out == size) {
        if (stream_.avail_in == 0) {
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(compressed_.size(), remaining_));
            if (take == 0 || !input_->readAt(position_, compressed_.data(), take)) {
                return -1; // the data ends before the deflate stream does
            }
            position_ += take;
            remaining_ -= take;
            stream_.next_in = compressed_.data();
            stream_.avail_in = static_cast<uInt>(take);
        }
        const int status = inflate(&stream_, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            finished_ = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            return -1;
        }
    }
    return static_cast<long>(size - stream_.avail_out);
}

} // namespace tarvo::zip
