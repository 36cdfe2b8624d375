#pragma once

// Attributes of entries: the external attributes written into central headers, and the
// attribute bits of ZipEntryInfo read back from them.

#include <sys/types.h>

#include <cstdint>

namespace tarvo::zip {

// External attributes of a folder entry: directory, with the owner's permissions.
inline constexpr std::uint32_t FolderExternalAttributes = 0x41C00010;

// Read-only for this layer: the owner's write permission is clear. The mode is tested rather
// than access(), because root may write anyway and a read-only file is never replaced.
bool isReadOnlyMode(mode_t mode);

// External attributes of a regular file: the attribute bits in the low byte, a Unix file
// type and owner permissions in the high word.
std::uint32_t externalAttributesForFile(mode_t mode);

// The ZipAttr* bits of an entry from its central record. A name ending in "/" marks a folder
// whatever its attributes say.
std::uint32_t attributesFromCentral(std::uint16_t versionMadeBy, std::uint32_t externalAttributes,
                                    bool nameEndsInSlash);

} // namespace tarvo::zip
