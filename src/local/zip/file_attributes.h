#pragma once

// Attributes of entries: the external attributes written into central headers, and the
// attribute bits of ZipEntryInfo read back from them.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tarvo::zip {

// External attributes of a folder entry: directory, with the owner's permissions.
inline constexpr std::uint32_t FolderExternalAttributes = 0x41C00010;

// Read-only for this layer: the owner's write permission is clear. The mode is tested rather
// than access(), because root may write anyway and a read-only file is never replaced.
bool isReadOnlyMode(mode_t mode);

// External attributes of a regular file: the attribute bits in the low byte (hidden for a
// name that begins with "."), a Unix file type and owner permissions in the high word.
std::uint32_t externalAttributesForFile(mode_t mode, const std::string& fileName);

// The ZipAttr* bits of an entry from its central record. A name ending in "/" marks a folder
// whatever its attributes say.
std::uint32_t attributesFromCentral(std::uint16_t versionMadeBy, std::uint32_t externalAttributes,
                                    bool nameEndsInSlash);

// The permission bits (read, write, execute; never set-id or sticky) an archive made on Unix
// keeps for a regular file in the high word of its external attributes, if any.
std::optional<mode_t> unixPermissions(std::uint16_t versionMadeBy,
                                      std::uint32_t externalAttributes);

} // namespace tarvo::zip
