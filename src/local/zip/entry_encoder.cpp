#include "local/zip/entry_encoder.h"

#include "local/zip/zip_records.h"

#include <unistd.h>

#include <array>
#include <cerrno>

namespace tarvo::zip {

namespace {

constexpr int CompressionLevel = 8;
constexpr int RawDeflateWindowBits = -MAX_WBITS;
constexpr int MemoryLevel = 8;
constexpr std::size_t ChunkSize = 16384;

// -1 on a read error.
ssize_t readChunk(int fd, std::uint8_t* buffer) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, ChunkSize);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

} // namespace

struct EntryEncoder::Buffers {
    std::array<std::uint8_t, ChunkSize> in;
    std::array<std::uint8_t, ChunkSize> out;
};

EntryEncoder::EntryEncoder() : buffers_(std::make_unique<Buffers>()) {}

EntryEncoder::~EntryEncoder() {
    if (streamReady_) {
        deflateEnd(&stream_);
    }
}

ZipResult EntryEncoder::startDeflate() {
    if (streamReady_) {
        return deflateReset(&stream_) == Z_OK ? ZipOk : ZipFlateFailed;
    }
    if (deflateInit2(&stream_, CompressionLevel, Z_DEFLATED, RawDeflateWindowBits, MemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return ZipFlateFailed;
    }
    streamReady_ = true;
    return ZipOk;
}

ZipResult EntryEncoder::deflateChunk(std::size_t size, bool last, DataSink& sink,
                                     DataSummary& summary) {
    stream_.next_in = buffers_->in.data();
    stream_.avail_in = static_cast<uInt>(size);
    const int flush = last ? Z_FINISH : Z_NO_FLUSH;
    int status = Z_OK;
    do {
        stream_.next_out = buffers_->out.data();
        stream_.avail_out = static_cast<uInt>(ChunkSize);
        status = deflate(&stream_, flush);
        if (status == Z_STREAM_ERROR) {
            return ZipFlateFailed;
        }
        const std::size_t produced = ChunkSize - stream_.avail_out;
        if (produced > 0 && !sink.put(buffers_->out.data(), produced)) {
            return ZipWriteError;
        }
        summary.bytesWritten += produced;
    } while (stream_.avail_out == 0);
    return last && status != Z_STREAM_END ? ZipFlateFailed : ZipOk;
}

ZipResult EntryEncoder::encode(int sourceFd, std::uint16_t method, DataSink& sink,
                               DataSummary& summary) {
    summary = DataSummary{};
    summary.crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    const bool deflated = method == MethodDeflated;
    if (deflated) {
        if (const ZipResult started = startDeflate(); started != ZipOk) {
            return started;
        }
    }
    for (;;) {
        if (stop_.stop_requested()) {
            return ZipCancelled;
        }
        const ssize_t got = readChunk(sourceFd, buffers_->in.data());
        if (got < 0) {
            return ZipWriteError;
        }
        const auto size = static_cast<std::size_t>(got);
        summary.crc = static_cast<std::uint32_t>(
            crc32(summary.crc, buffers_->in.data(), static_cast<uInt>(size)));
        summary.bytesRead += size;
        if (deflated) {
            if (const ZipResult step = deflateChunk(size, size == 0, sink, summary);
                step != ZipOk) {
                return step;
            }
        } else if (size > 0) {
            if (!sink.put(buffers_->in.data(), size)) {
                return ZipWriteError;
            }
            summary.bytesWritten += size;
        }
        if (size == 0) {
            return ZipOk;
        }
    }
}

} // namespace tarvo::zip
