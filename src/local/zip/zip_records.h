#pragma once

// The records of a zip archive as this layer writes them (PKWARE application note layout,
// little-endian), and the one extra field it reads back itself.

#include "local/zip/byte_order.h"
#include "local/zip/dos_time.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvo::zip {

inline constexpr std::uint16_t MethodStored = 0;
inline constexpr std::uint16_t MethodDeflated = 8;

inline constexpr std::uint16_t FlagEncrypted = 0x0001;
inline constexpr std::uint16_t FlagMaximumCompression = 0x0002;
inline constexpr std::uint16_t FlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t FlagUtf8Name = 0x0800;

inline constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t DataDescriptorSignature = 0x08074B50;
inline constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t EndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t Zip64EndRecordSignature = 0x06064B50;
inline constexpr std::uint32_t Zip64LocatorSignature = 0x07064B50;

// Unix times of the "UT" extended-timestamp field.
struct ExtendedTimes {
    std::int32_t modification = 0;
    std::int32_t access = 0;
    std::int32_t creation = 0;
};

// What the writer knows of one entry: enough for its local header, data descriptor and
// central header.
struct EntryRecord {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = MethodStored;
    DosTimestamp dosTime;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
    std::uint32_t externalAttributes = 0;
    ExtendedTimes times;
    // The local header carries Zip64 sizes. Decided before the data is written, because the
    // header is completed in place and cannot grow afterwards.
    bool zip64Sizes = false;
};

void appendLocalHeader(Bytes& out, const EntryRecord& entry);
void appendDataDescriptor(Bytes& out, const EntryRecord& entry);
void appendCentralHeader(Bytes& out, const EntryRecord& entry);
// The end record, preceded by the Zip64 end record and its locator when a count, size or
// offset does not fit the classic fields. `directoryOffset + directorySize` is where it starts.
void appendEndOfCentralDirectory(Bytes& out, std::uint64_t entryCount, std::uint64_t directorySize,
                                 std::uint64_t directoryOffset);

// Whether an entry announced with `size` bytes needs Zip64 sizes: its stored size, or the
// worst case of its deflated size, reaches the 32-bit escape value.
bool sizesNeedZip64(std::uint64_t size, std::uint16_t method);
// Whether the entry's final sizes can be written into the local header planned for it.
bool sizesFitPlannedHeader(const EntryRecord& entry);

// A Unix time as the signed 32-bit value of the "UT" field, clamped to its range.
std::int32_t extendedTimeFromUnix(std::int64_t unixSeconds);

struct ExtendedTimestampReading {
    std::optional<std::int64_t> modification;
    std::optional<std::int64_t> access;
    std::optional<std::int64_t> creation;
};

// The times of the first "UT" block in an extra field. Only bytes that lie both inside the
// field and inside the size the block declares are read.
ExtendedTimestampReading readExtendedTimestamp(const std::uint8_t* field, std::size_t length);

// The 64-bit values of a central record's Zip64 extra field. It holds one value for each
// 32-bit field that carries the escape value 0xFFFFFFFF, in this order; a value the field
// does not hold stays empty.
struct Zip64Values {
    std::optional<std::uint64_t> uncompressedSize;
    std::optional<std::uint64_t> compressedSize;
    std::optional<std::uint64_t> localHeaderOffset;
};

inline constexpr std::uint32_t Escape32 = 0xFFFFFFFF;

Zip64Values readZip64Extra(const std::uint8_t* field, std::size_t length, bool uncompressedEscaped,
                           bool compressedEscaped, bool offsetEscaped);

} // namespace tarvo::zip
