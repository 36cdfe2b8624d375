#pragma once

// Reading an entry straight from the archive file, for the entries whose central record keeps
// its sizes or local header offset in a Zip64 extra field. Debian's minizip 1.1 compares those
// 32-bit fields with (unsigned long)-1, which on a 64-bit system never matches, so it never
// reads the Zip64 values and would cut such entries short or miss their local header.

#include "local/zip/zip_input.h"
#include "local/zip/zip_result.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace tarvo::zip {

// Where a Zip64 entry lies and how it is stored.
struct DirectLocation {
    std::uint64_t localHeaderOffset = 0;
    std::uint64_t compressedSize = 0;
    std::uint16_t method = 0;
};

class DirectEntry {
public:
    DirectEntry() = default;
    ~DirectEntry();
    DirectEntry(const DirectEntry&) = delete;
    DirectEntry& operator=(const DirectEntry&) = delete;

    // Checks the local header (ZipCorrupt) and reads its extra field (ZipReadError).
    ZipResult open(ZipInput& input, const DirectLocation& location,
                   std::vector<std::uint8_t>& localExtra);
    // The next chunk of the data as in EntryDataReader: length, 0 at the end, -1 on failure.
    long read(std::uint8_t* buffer, std::size_t size);

private:
    long readStored(std::uint8_t* buffer, std::size_t size);
    long readDeflated(std::uint8_t* buffer, std::size_t size);

    ZipInput* input_ = nullptr;
    std::uint64_t position_ = 0;
    std::uint64_t remaining_ = 0; // compressed bytes not yet read
    std::uint16_t method_ = 0;
    z_stream stream_{};
    bool inflating_ = false;
    bool finished_ = false;
    std::vector<std::uint8_t> compressed_;
};

} // namespace tarvo::zip
