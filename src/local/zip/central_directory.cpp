#include "local/zip/central_directory.h"

#include "local/zip/byte_order.h"
#include "local/zip/zip_records.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace tarvo::zip {

namespace {

constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t LongestComment = 0xFFFF;
constexpr std::size_t Zip64LocatorSize = 20;
constexpr std::size_t Zip64EndRecordSize = 56;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t LocalHeaderSize = 30;

// Where the end records say the directory is. `end` is where it must end: at the Zip64 end
// record when there is one, else at the end record.
struct DirectoryPlace {
    std::uint64_t count = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint64_t end = 0;
};

// The end record, searched in the whole stretch an end record with the longest comment can
// occupy: preferably one whose comment reaches the end of the file (a comment may hold what
// looks like an end record), else the last one whose comment fits.
bool findEndRecord(ZipInput& input, std::uint64_t& at, Bytes& record) {
    const std::uint64_t tailSize =
        std::min<std::uint64_t>(input.size(), EndRecordSize + LongestComment);
    if (tailSize < EndRecordSize) {
        return false;
    }
    const std::uint64_t tailStart = input.size() - tailSize;
    Bytes tail(static_cast<std::size_t>(tailSize));
    if (!input.readAt(tailStart, tail.data(), tail.size())) {
        return false;
    }
    std::optional<std::size_t> found;
    for (std::size_t p = tail.size() - EndRecordSize + 1; p-- > 0;) {
        if (getU32(&tail[p]) != EndRecordSignature) {
            continue;
        }
        const std::size_t recordEnd = p + EndRecordSize + getU16(&tail[p + 20]);
        if (recordEnd == tail.size()) {
            found = p;
            break;
        }
        if (recordEnd < tail.size() && !found) {
            found = p;
        }
    }
    if (!found) {
        return false;
    }
    at = tailStart + *found;
    record.assign(tail.begin() + static_cast<std::ptrdiff_t>(*found),
                  tail.begin() + static_cast<std::ptrdiff_t>(*found + EndRecordSize));
    return true;
}

// A Zip64 end record at `at`, ending by `limit`, for a single disk.
bool readZip64EndRecord(ZipInput& input, std::uint64_t at, std::uint64_t limit,
                        DirectoryPlace& place) {
    std::uint8_t record[Zip64EndRecordSize];
    if (at > limit || limit - at < Zip64EndRecordSize || !input.readAt(at, record, sizeof record) ||
        getU32(record) != Zip64EndRecordSignature || getU32(record + 16) != 0 ||
        getU32(record + 20) != 0 || getU64(record + 24) != getU64(record + 32)) {
        return false;
    }
    place = {getU64(record + 32), getU64(record + 40), getU64(record + 48), at};
    return true;
}

// The Zip64 end record named by the locator just before the end record, if there is one.
// False for a locator that leads nowhere.
bool readZip64Place(ZipInput& input, std::uint64_t endRecordAt, DirectoryPlace& place) {
    std::uint8_t locator[Zip64LocatorSize];
    if (endRecordAt < Zip64LocatorSize ||
        !input.readAt(endRecordAt - Zip64LocatorSize, locator, sizeof locator) ||
        getU32(locator) != Zip64LocatorSignature) {
        return true;
    }
    const std::uint64_t locatorAt = endRecordAt - Zip64LocatorSize;
    const std::uint64_t recorded = getU64(locator + 8);
    if (readZip64EndRecord(input, recorded, locatorAt, place)) {
        return true;
    }
    // Data before the archive (a self-extracting stub) shifts the recorded offset too; the
    // record then ends where the locator begins.
    return locatorAt >= Zip64EndRecordSize && recorded < locatorAt - Zip64EndRecordSize &&
           readZip64EndRecord(input, locatorAt - Zip64EndRecordSize, locatorAt, place);
}

bool locateDirectory(ZipInput& input, DirectoryPlace& place) {
    std::uint64_t endAt = 0;
    Bytes end;
    if (!findEndRecord(input, endAt, end)) {
        return false;
    }
    // Archives spread over several disks are not read.
    if (getU16(&end[4]) != 0 || getU16(&end[6]) != 0 || getU16(&end[8]) != getU16(&end[10])) {
        return false;
    }
    place = {getU16(&end[10]), getU32(&end[12]), getU32(&end[16]), endAt};
    return readZip64Place(input, endAt, place);
}

void readFixedFields(const std::uint8_t* header, CentralRecord& record) {
    record.versionMadeBy = getU16(header + 4);
    record.flags = getU16(header + 8);
    record.method = getU16(header + 10);
    record.dosDateTime = getU32(header + 12);
    record.crc = getU32(header + 16);
    record.compressedSize = getU32(header + 20);
    record.uncompressedSize = getU32(header + 24);
    record.externalAttributes = getU32(header + 38);
    record.localHeaderOffset = getU32(header + 42);
}

// Replaces the 32-bit fields that hold the escape value by the values of the Zip64 extra field.
bool applyZip64(const std::uint8_t* extra, std::size_t length, CentralRecord& record) {
    const bool uncompressed = record.uncompressedSize == Escape32;
    const bool compressed = record.compressedSize == Escape32;
    const bool offset = record.localHeaderOffset == Escape32;
    if (!uncompressed && !compressed && !offset) {
        return true;
    }
    const Zip64Values values = readZip64Extra(extra, length, uncompressed, compressed, offset);
    if ((uncompressed && !values.uncompressedSize) || (compressed && !values.compressedSize) ||
        (offset && !values.localHeaderOffset)) {
        return false;
    }
    record.uncompressedSize = values.uncompressedSize.value_or(record.uncompressedSize);
    record.compressedSize = values.compressedSize.value_or(record.compressedSize);
    record.localHeaderOffset = values.localHeaderOffset.value_or(record.localHeaderOffset);
    return true;
}

// Reads the record at `at`, which must end by `stop`; its size in `recordSize`.
bool readRecord(ZipInput& input, std::uint64_t at, std::uint64_t stop, std::uint64_t prefix,
                CentralRecord& record, std::uint64_t& recordSize) {
    std::uint8_t header[CentralHeaderSize];
    if (stop - at < CentralHeaderSize || !input.readAt(at, header, sizeof header) ||
        getU32(header) != CentralHeaderSignature) {
        return false;
    }
    const std::size_t nameLength = getU16(header + 28);
    const std::size_t extraLength = getU16(header + 30);
    recordSize = CentralHeaderSize + nameLength + extraLength + getU16(header + 32);
    if (recordSize > stop - at) {
        return false;
    }
    readFixedFields(header, record);
    Bytes variable(nameLength + extraLength);
    if (!input.readAt(at + CentralHeaderSize, variable.data(), variable.size()) ||
        !applyZip64(variable.data() + nameLength, extraLength, record)) {
        return false;
    }
    record.rawName.assign(variable.begin(),
                          variable.begin() + static_cast<std::ptrdiff_t>(nameLength));
    record.localHeaderOffset += prefix;
    return record.compressedSize <= input.size() && record.localHeaderOffset <= input.size();
}

} // namespace

ZipResult CentralDirectory::read(ZipInput& input) {
    DirectoryPlace place;
    if (!locateDirectory(input, place) || place.offset > place.end ||
        place.size > place.end - place.offset || place.count > place.size / CentralHeaderSize ||
        place.count > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return ZipCannotOpen;
    }
    // Data before the archive (a self-extracting stub) shifts every offset it records.
    prefix_ = place.end - place.offset - place.size;
    end_ = place.end;
    const std::uint64_t start = prefix_ + place.offset;

    struct Span {
        std::uint64_t start;
        std::uint64_t shortestEnd; // without the local extra field, whose length is not known yet
        std::size_t index;
    };
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(place.count));
    slots_.clear();
    slots_.reserve(static_cast<std::size_t>(place.count));
    CentralRecord record;
    for (std::uint64_t at = start; at < place.end;) {
        std::uint64_t recordSize = 0;
        if (slots_.size() == place.count ||
            !readRecord(input, at, place.end, prefix_, record, recordSize)) {
            return ZipCannotOpen;
        }
        spans.push_back({record.localHeaderOffset,
                         record.localHeaderOffset + LocalHeaderSize + record.rawName.size() +
                             record.compressedSize,
                         slots_.size()});
        slots_.push_back({at, 0});
        at += recordSize;
    }
    if (slots_.size() != place.count) {
        return ZipCannotOpen;
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.start < b.start; });
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const std::uint64_t limit = i + 1 < spans.size() ? spans[i + 1].start : start;
        if (spans[i].shortestEnd > limit) {
            return ZipCannotOpen;
        }
        slots_[spans[i].index].dataLimit = limit;
    }
    return ZipOk;
}

ZipResult CentralDirectory::record(ZipInput& input, std::size_t index, CentralRecord& out) const {
    std::uint64_t recordSize = 0;
    const std::uint64_t end = index + 1 < slots_.size() ? slots_[index + 1].recordOffset : end_;
    return readRecord(input, slots_[index].recordOffset, end, prefix_, out, recordSize)
               ? ZipOk
               : ZipCorrupt;
}

} // namespace tarvo::zip
