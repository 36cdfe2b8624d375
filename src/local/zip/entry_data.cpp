#include "local/zip/entry_data.h"

#include "local/zip/zip_records.h"

#include <algorithm>

namespace tarvo::zip {

namespace {

constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CompressedChunk = 16384;

} // namespace

ZipResult readLocalHeader(ZipInput& input, const CentralRecord& record, std::uint64_t dataLimit,
                          Bytes& localExtra, std::uint64_t& dataStart) {
    std::uint8_t header[LocalHeaderSize];
    if (!input.readAt(record.localHeaderOffset, header, sizeof header) ||
        getU32(header) != LocalHeaderSignature || getU16(header + 8) != record.method ||
        getU16(header + 26) != record.rawName.size()) {
        return ZipCorrupt;
    }
    // With a data descriptor the header's CRC is a placeholder.
    if ((getU16(header + 6) & FlagDataDescriptor) == 0 && getU32(header + 14) != record.crc) {
        return ZipCorrupt;
    }
    const std::uint64_t extraStart =
        record.localHeaderOffset + LocalHeaderSize + getU16(header + 26);
    localExtra.resize(getU16(header + 28));
    dataStart = extraStart + localExtra.size();
    if (dataStart + record.compressedSize > dataLimit) {
        return ZipCorrupt;
    }
    return input.readAt(extraStart, localExtra.data(), localExtra.size()) ? ZipOk : ZipReadError;
}

EntryData::EntryData(ZipInput& input, std::uint64_t dataStart, const CentralRecord& record)
    : input_(input), position_(dataStart), remaining_(record.compressedSize),
      method_(record.method) {
    if (method_ == MethodDeflated && inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {
        inflating_ = true;
        compressed_.resize(CompressedChunk);
    }
}

EntryData::~EntryData() {
    if (inflating_) {
        inflateEnd(&stream_);
    }
}

long EntryData::read(std::uint8_t* buffer, std::size_t size) {
    if (method_ == MethodStored) {
        return readStored(buffer, size);
    }
    return inflating_ ? readDeflated(buffer, size) : -1;
}

long EntryData::readStored(std::uint8_t* buffer, std::size_t size) {
    const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    if (!input_.readAt(position_, buffer, take)) {
        return -1;
    }
    position_ += take;
    remaining_ -= take;
    return static_cast<long>(take);
}

long EntryData::readDeflated(std::uint8_t* buffer, std::size_t size) {
    stream_.next_out = buffer;
    stream_.avail_out = static_cast<uInt>(size);
    while (!finished_ && stream_.avail_out == size) {
        if (stream_.avail_in == 0) {
            const auto take =
                static_cast<std::size_t>(std::min<std::uint64_t>(compressed_.size(), remaining_));
            if (take == 0 || !input_.readAt(position_, compressed_.data(), take)) {
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
