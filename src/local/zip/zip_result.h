#pragma once

#include <cstdint>

namespace tarvo::zip {

// Every call of the zip layer answers with one of these codes; 0 is success.
using ZipResult = std::uint32_t;

inline constexpr ZipResult ZipOk = 0x0;
// A file cannot be created or opened: archive, source, extraction target or its folder; or
// the archive to read holds no central directory that can be trusted.
inline constexpr ZipResult ZipCannotOpen = 0x200;
// Memory cannot be obtained.
inline constexpr ZipResult ZipNoMemory = 0x300;
// A record or data cannot be written to the archive, or extracted data cannot be written.
inline constexpr ZipResult ZipWriteError = 0x400;
// The archive is damaged, or an entry cannot be used as it stands (for example a name that
// would leave the target folder).
inline constexpr ZipResult ZipCorrupt = 0x700;
// An entry's local extra field cannot be reached or read.
inline constexpr ZipResult ZipReadError = 0x800;
// The entry is encrypted; the layer reads no encrypted entries.
inline constexpr ZipResult ZipPasswordRequired = 0x1000;
// Missing handle, empty or unrepresentable name, index out of range.
inline constexpr ZipResult ZipBadArguments = 0x10000;
// The writer already failed to write to its archive; nothing more is added.
inline constexpr ZipResult ZipEarlierError = 0x40000;
// A reader handle given to a writer call, or the reverse.
inline constexpr ZipResult ZipWrongHandle = 0x80000;
// An entry's local header cannot describe what was read: the source changed its size while
// it was being packed.
inline constexpr ZipResult ZipChangeNotAllowed = 0x4000000;
// Compression or decompression failed, or extracted data does not match its CRC or size.
inline constexpr ZipResult ZipFlateFailed = 0x5000000;
// The work was stopped before the entry was complete; the entry is not in the archive.
inline constexpr ZipResult ZipCancelled = 0x6000000;

} // namespace tarvo::zip
