#pragma once

// Turns a source file's bytes into an entry's data: raw deflate at level 8 or a plain copy,
// counting the CRC-32 and the sizes on the way.

#include "local/zip/data_sink.h"
#include "local/zip/zip_result.h"

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <stop_token>

namespace tarvo::zip {

struct DataSummary {
    std::uint32_t crc = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesWritten = 0;
};

// One encoder serves one thread. Its compressor is made at the first deflated entry and reset
// for each later one. The output depends only on the source bytes, never on the sink, so an
// entry encoded into memory ahead of its turn is byte for byte what would have been written.
class EntryEncoder {
public:
    EntryEncoder();
    ~EntryEncoder();
    EntryEncoder(const EntryEncoder&) = delete;
    EntryEncoder& operator=(const EntryEncoder&) = delete;

    // Reads `sourceFd` to its end. A read or sink failure gives ZipWriteError, a compressor
    // failure ZipFlateFailed, a stop (seen between blocks) ZipCancelled.
    ZipResult encode(int sourceFd, std::uint16_t method, DataSink& sink, DataSummary& summary);
    void setStop(std::stop_token stop) { stop_ = std::move(stop); }

private:
    struct Buffers;

    ZipResult startDeflate();
    ZipResult deflateChunk(std::size_t size, bool last, DataSink& sink, DataSummary& summary);

    std::unique_ptr<Buffers> buffers_;
    z_stream stream_{};
    bool streamReady_ = false;
    std::stop_token stop_;
};

} // namespace tarvo::zip
