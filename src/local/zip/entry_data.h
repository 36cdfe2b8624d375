#pragma once

// One entry's bytes in the archive: its local header, checked against the central record, and
// its data, inflated or copied.

#include "local/zip/byte_order.h"
#include "local/zip/central_directory.h"
#include "local/zip/zip_input.h"
#include "local/zip/zip_result.h"

#include <zlib.h>

#include <cstdint>

namespace tarvo::zip {

// Checks the local header against the central record (ZipCorrupt) and reads its extra field
// (ZipReadError). The header, name, extra field and data must end by `dataLimit`, where the
// next entry begins. `dataStart` tells where the data begins.
ZipResult readLocalHeader(ZipInput& input, const CentralRecord& record, std::uint64_t dataLimit,
                          Bytes& localExtra, std::uint64_t& dataStart);

class EntryData {
public:
    EntryData(ZipInput& input, std::uint64_t dataStart, const CentralRecord& record);
    ~EntryData();
    EntryData(const EntryData&) = delete;
    EntryData& operator=(const EntryData&) = delete;

    // The next chunk of the data as in EntryDataReader: length, 0 at the end, -1 on failure
    // (also for a method other than stored and deflated).
    long read(std::uint8_t* buffer, std::size_t size);

private:
    long readStored(std::uint8_t* buffer, std::size_t size);
    long readDeflated(std::uint8_t* buffer, std::size_t size);

    ZipInput& input_;
    std::uint64_t position_ = 0;
    std::uint64_t remaining_ = 0; // compressed bytes not yet read
    std::uint16_t method_ = 0;
    z_stream stream_{};
    bool inflating_ = false;
    bool finished_ = false;
    Bytes compressed_;
};

} // namespace tarvo::zip
