#pragma once

// The central directory of an archive being read. It is found through the end record (and its
// Zip64 form), walked by its size and offset, and checked before any entry is used: an
// archive that lies about its entries is refused at once, instead of being read for hours or
// unpacked until the disk is full.

#include "local/zip/zip_input.h"
#include "local/zip/zip_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::zip {

// One entry as its central record describes it.
struct CentralRecord {
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosDateTime = 0; // the date in the high half
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0; // in the file, past any data before the archive
    std::uint32_t externalAttributes = 0;
    std::string rawName;
};

class CentralDirectory {
public:
    // Finds and checks the directory. ZipCannotOpen when there is none, or when it cannot be
    // trusted: an entry count its size cannot hold, records that disagree with the count,
    // entries whose data would overlap.
    ZipResult read(ZipInput& input);

    std::size_t size() const { return slots_.size(); }
    ZipResult record(ZipInput& input, std::size_t index, CentralRecord& out) const;
    // Where the entry's local header, name, extra field and data must end: at the next entry's
    // local header or at the central directory.
    std::uint64_t dataLimit(std::size_t index) const { return slots_[index].dataLimit; }

private:
    struct Slot {
        std::uint64_t recordOffset = 0;
        std::uint64_t dataLimit = 0;
    };
    std::vector<Slot> slots_;
    std::uint64_t prefix_ = 0; // bytes before the archive, which its offsets do not count
    std::uint64_t end_ = 0;    // where the directory ends
};

} // namespace tarvo::zip
