#include "local/zip/zip_records.h"

#include <algorithm>
#include <limits>

#include <zlib.h>

namespace tarvo::zip {

namespace {

constexpr std::uint16_t VersionMadeBy = 0x0B17;
constexpr std::uint16_t VersionNeeded = 20;
constexpr std::uint16_t VersionNeededZip64 = 45;

constexpr std::uint16_t Escape16 = 0xFFFF;

constexpr std::uint16_t ExtendedTimestampId = 0x5455; // "UT"
constexpr std::uint16_t Zip64ExtraId = 0x0001;
constexpr std::uint8_t AllThreeTimes = 0x07;

bool overflows32(std::uint64_t value) {
    return value >= Escape32;
}

std::uint32_t field32(std::uint64_t value, bool escaped) {
    return escaped ? Escape32 : static_cast<std::uint32_t>(value);
}

void appendTimesAndDate(Bytes& out, const EntryRecord& entry) {
    putU16(out, entry.dosTime.time);
    putU16(out, entry.dosTime.date);
}

void appendZip64Extra(Bytes& out, std::initializer_list<std::uint64_t> values) {
    putU16(out, Zip64ExtraId);
    putU16(out, static_cast<std::uint16_t>(8 * values.size()));
    for (std::uint64_t value : values) {
        putU64(out, value);
    }
}

void appendName(Bytes& out, const std::string& name) {
    out.insert(out.end(), name.begin(), name.end());
}

} // namespace

void appendLocalHeader(Bytes& out, const EntryRecord& entry) {
    const bool zip64 = entry.zip64Sizes;
    putU32(out, LocalHeaderSignature);
    putU16(out, zip64 ? VersionNeededZip64 : VersionNeeded);
    putU16(out, entry.flags);
    putU16(out, entry.method);
    appendTimesAndDate(out, entry);
    putU32(out, entry.crc);
    putU32(out, field32(entry.compressedSize, zip64));
    putU32(out, field32(entry.uncompressedSize, zip64));
    putU16(out, static_cast<std::uint16_t>(entry.name.size()));
    putU16(out, zip64 ? 17 + 20 : 17);
    appendName(out, entry.name);
    putU16(out, ExtendedTimestampId);
    putU16(out, 13);
    out.push_back(AllThreeTimes);
    putU32(out, static_cast<std::uint32_t>(entry.times.modification));
    putU32(out, static_cast<std::uint32_t>(entry.times.access));
    putU32(out, static_cast<std::uint32_t>(entry.times.creation));
    if (zip64) {
        appendZip64Extra(out, {entry.uncompressedSize, entry.compressedSize});
    }
}

void appendDataDescriptor(Bytes& out, const EntryRecord& entry) {
    putU32(out, DataDescriptorSignature);
    putU32(out, entry.crc);
    if (entry.zip64Sizes) {
        putU64(out, entry.compressedSize);
        putU64(out, entry.uncompressedSize);
    } else {
        putU32(out, static_cast<std::uint32_t>(entry.compressedSize));
        putU32(out, static_cast<std::uint32_t>(entry.uncompressedSize));
    }
}

void appendCentralHeader(Bytes& out, const EntryRecord& entry) {
    const bool sizes64 = entry.zip64Sizes;
    const bool offset64 = overflows32(entry.localHeaderOffset);
    Bytes zip64Extra;
    if (sizes64 && offset64) {
        appendZip64Extra(zip64Extra,
                         {entry.uncompressedSize, entry.compressedSize, entry.localHeaderOffset});
    } else if (sizes64) {
        appendZip64Extra(zip64Extra, {entry.uncompressedSize, entry.compressedSize});
    } else if (offset64) {
        appendZip64Extra(zip64Extra, {entry.localHeaderOffset});
    }

    putU32(out, CentralHeaderSignature);
    putU16(out, VersionMadeBy);
    putU16(out, zip64Extra.empty() ? VersionNeeded : VersionNeededZip64);
    putU16(out, entry.flags);
    putU16(out, entry.method);
    appendTimesAndDate(out, entry);
    putU32(out, entry.crc);
    putU32(out, field32(entry.compressedSize, sizes64));
    putU32(out, field32(entry.uncompressedSize, sizes64));
    putU16(out, static_cast<std::uint16_t>(entry.name.size()));
    putU16(out, static_cast<std::uint16_t>(9 + zip64Extra.size()));
    putU16(out, 0); // comment length
    putU16(out, 0); // disk number
    putU16(out, 0); // internal attributes
    putU32(out, entry.externalAttributes);
    putU32(out, field32(entry.localHeaderOffset, offset64));
    appendName(out, entry.name);
    putU16(out, ExtendedTimestampId);
    putU16(out, 5);
    out.push_back(AllThreeTimes);
    putU32(out, static_cast<std::uint32_t>(entry.times.modification));
    out.insert(out.end(), zip64Extra.begin(), zip64Extra.end());
}

void appendEndOfCentralDirectory(Bytes& out, std::uint64_t entryCount, std::uint64_t directorySize,
                                 std::uint64_t directoryOffset) {
    // 0xFFFF is itself the escape value of the count field, so it already needs Zip64.
    const bool count64 = entryCount >= Escape16;
    const bool size64 = overflows32(directorySize);
    const bool offset64 = overflows32(directoryOffset);
    if (count64 || size64 || offset64) {
        const std::uint64_t zip64RecordOffset = directoryOffset + directorySize;
        putU32(out, Zip64EndRecordSignature);
        putU64(out, 44); // size of the rest of this record
        putU16(out, VersionMadeBy);
        putU16(out, VersionNeededZip64);
        putU32(out, 0); // this disk
        putU32(out, 0); // disk of the central directory
        putU64(out, entryCount);
        putU64(out, entryCount);
        putU64(out, directorySize);
        putU64(out, directoryOffset);
        putU32(out, Zip64LocatorSignature);
        putU32(out, 0); // disk of the Zip64 end record
        putU64(out, zip64RecordOffset);
        putU32(out, 1); // total number of disks
    }
    const auto count16 = count64 ? Escape16 : static_cast<std::uint16_t>(entryCount);
    putU32(out, EndRecordSignature);
    putU16(out, 0); // this disk
    putU16(out, 0); // disk of the central directory
    putU16(out, count16);
    putU16(out, count16);
    putU32(out, field32(directorySize, size64));
    putU32(out, field32(directoryOffset, offset64));
    putU16(out, 0); // comment length
}

bool sizesNeedZip64(std::uint64_t size, std::uint16_t method) {
    if (method == MethodStored) {
        return overflows32(size);
    }
    // compressBound covers raw deflate's worst case (it also counts a zlib wrapper on top).
    return size >= Escape32 || overflows32(compressBound(static_cast<uLong>(size)));
}

bool sizesFitPlannedHeader(const EntryRecord& entry) {
    return entry.zip64Sizes ||
           (!overflows32(entry.compressedSize) && !overflows32(entry.uncompressedSize));
}

std::int32_t extendedTimeFromUnix(std::int64_t unixSeconds) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(unixSeconds, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

namespace {

// The data of the first block with `id` in an extra field, clipped to the field.
bool findExtraBlock(const std::uint8_t* field, std::size_t length, std::uint16_t id,
                    std::size_t& dataStart, std::size_t& dataEnd) {
    std::size_t block = 0;
    while (block + 4 <= length) {
        const std::size_t declared = getU16(field + block + 2);
        if (getU16(field + block) == id) {
            dataStart = block + 4;
            dataEnd = std::min(dataStart + declared, length);
            return true;
        }
        block += 4 + declared;
    }
    return false;
}

} // namespace

Zip64Values readZip64Extra(const std::uint8_t* field, std::size_t length, bool uncompressedEscaped,
                           bool compressedEscaped, bool offsetEscaped) {
    Zip64Values values;
    std::size_t next = 0;
    std::size_t end = 0;
    if (!findExtraBlock(field, length, Zip64ExtraId, next, end)) {
        return values;
    }
    auto readValue = [&](bool escaped, std::optional<std::uint64_t>& slot) {
        if (escaped && next + 8 <= end) {
            slot = getU64(field + next);
            next += 8;
        }
    };
    readValue(uncompressedEscaped, values.uncompressedSize);
    readValue(compressedEscaped, values.compressedSize);
    readValue(offsetEscaped, values.localHeaderOffset);
    return values;
}

ExtendedTimestampReading readExtendedTimestamp(const std::uint8_t* field, std::size_t length) {
    ExtendedTimestampReading times;
    std::size_t next = 0;
    std::size_t end = 0;
    if (!findExtraBlock(field, length, ExtendedTimestampId, next, end) || next >= end) {
        return times;
    }
    const std::uint8_t flags = field[next++];
    auto readTime = [&](std::uint8_t bit, std::optional<std::int64_t>& slot) {
        if ((flags & bit) != 0 && next + 4 <= end) {
            slot = static_cast<std::int32_t>(getU32(field + next));
            next += 4;
        }
    };
    readTime(0x01, times.modification);
    readTime(0x02, times.access);
    readTime(0x04, times.creation);
    return times;
}

} // namespace tarvo::zip
