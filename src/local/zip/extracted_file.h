#pragma once

// Writing one extracted file: under a temporary name in its folder, checked against the
// entry's size and CRC-32, and only then renamed over its final name. A failed or corrupt
// extraction leaves nothing behind and an existing file untouched.

#include "local/zip/zip_result.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::zip {

struct ExtractedFileFacts {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::int64_t accessTime = 0;
    std::int64_t modificationTime = 0;
    bool readOnly = false;
    // The entry's own permission bits, given under the umask; without them a new file's.
    std::optional<mode_t> unixPermissions;
};

// Reads the next chunk of the entry's data into the buffer: its length, 0 at the end, or a
// negative value on failure.
using EntryDataReader = std::function<long(std::uint8_t* buffer, std::size_t size)>;

// Writes `name` in the folder `folderFd`. An existing folder or read-only file of that name
// is not replaced (ZipCannotOpen). Data that fails to decompress, or does not match the
// expected size and CRC, gives ZipFlateFailed.
ZipResult writeExtractedFile(int folderFd, const std::string& name, const ExtractedFileFacts& facts,
                             const EntryDataReader& read, std::vector<std::uint8_t>& buffer);

} // namespace tarvo::zip
