#include "local/zip/file_attributes.h"

#include "local/zip/zip_api.h"
#include "platform/posix/path.h"

#include <sys/stat.h>

namespace tarvo::zip {

namespace {

constexpr std::uint32_t UnixRegularFile = 0x80000000;
constexpr std::uint32_t UnixOwnerRead = 0x01000000;
constexpr std::uint32_t UnixOwnerWrite = 0x00800000;
constexpr std::uint32_t UnixOwnerExecute = 0x00400000;

constexpr int UnixHost = 3;

// Hosts whose archives keep DOS attribute bits in the low byte: MS-DOS, Macintosh, NTFS,
// VFAT.
bool keepsDosAttributes(std::uint16_t versionMadeBy) {
    const int host = versionMadeBy >> 8;
    return host == 0 || host == 7 || host == 11 || host == 14;
}

bool isHiddenName(const std::string& fileName) {
    return nameOf(fileName).starts_with('.');
}

} // namespace

bool isReadOnlyMode(mode_t mode) {
    return (mode & S_IWUSR) == 0;
}

std::uint32_t externalAttributesForFile(mode_t mode, const std::string& fileName) {
    const bool readOnly = isReadOnlyMode(mode);
    std::uint32_t attributes = ZipAttrArchive | UnixRegularFile | UnixOwnerRead;
    if (isHiddenName(fileName)) {
        attributes |= ZipAttrHidden;
    }
    if (readOnly) {
        attributes |= ZipAttrReadOnly;
    } else {
        attributes |= UnixOwnerWrite;
    }
    if ((mode & S_IXUSR) != 0) {
        attributes |= UnixOwnerExecute;
    }
    return attributes;
}

std::uint32_t attributesFromCentral(std::uint16_t versionMadeBy, std::uint32_t externalAttributes,
                                    bool nameEndsInSlash) {
    std::uint32_t attributes = 0;
    if (keepsDosAttributes(versionMadeBy)) {
        attributes = externalAttributes & (ZipAttrReadOnly | ZipAttrHidden | ZipAttrSystem |
                                           ZipAttrDirectory | ZipAttrArchive);
    } else {
        attributes = ZipAttrArchive;
        // The type field, not its folder bit alone: sockets and block devices have that bit
        // too, and their entries hold data.
        if (((externalAttributes >> 16) & S_IFMT) == S_IFDIR) {
            attributes |= ZipAttrDirectory;
        }
        if ((externalAttributes & UnixOwnerWrite) == 0) {
            attributes |= ZipAttrReadOnly;
        }
    }
    if (nameEndsInSlash) {
        attributes |= ZipAttrDirectory;
    }
    return attributes;
}

std::optional<mode_t> unixPermissions(std::uint16_t versionMadeBy,
                                      std::uint32_t externalAttributes) {
    const auto mode = static_cast<mode_t>(externalAttributes >> 16);
    const mode_t type = mode & S_IFMT;
    if (versionMadeBy >> 8 != UnixHost || (type != S_IFREG && type != 0) || (mode & 0777) == 0) {
        return std::nullopt;
    }
    return mode & 0777;
}

} // namespace tarvo::zip
