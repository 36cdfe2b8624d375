#pragma once

// The archive being written. Writes are buffered; the position counts every byte written, so
// the offsets recorded for entries are always where their headers really are.

#include "local/zip/byte_order.h"
#include "local/zip/data_sink.h"
#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <sys/types.h>

#include <memory>
#include <string>

namespace tarvo::zip {

class ZipTarget : public DataSink {
public:
    // Opens `path` for writing. A regular file (or a new one) is written under a temporary
    // name in its folder and takes its name in finish(), so an existing archive stays intact
    // until the new one is complete; anything else (a FIFO, a device) is written directly, and
    // a FIFO without a reader is refused rather than waited on.
    // An existing read-only file is not replaced.
    static ZipResult open(const std::string& path, std::unique_ptr<ZipTarget>& target);
    // An unfinished target removes its temporary file.
    ~ZipTarget() override;

    bool canSeek() const { return canSeek_; }
    std::uint64_t position() const { return flushed_ + buffer_.size(); }
    // The first write failure; once set, nothing more is written.
    ZipResult stickyError() const { return stickyError_; }

    bool put(const std::uint8_t* data, std::size_t size) override;
    bool put(const Bytes& bytes) { return put(bytes.data(), bytes.size()); }
    // Replaces bytes written earlier at `offset`; only on a target that can seek.
    bool overwrite(std::uint64_t offset, const Bytes& bytes);
    // Drops everything written from `offset` on, so that the next write goes there; only on a
    // target that can seek (elsewhere the bytes are gone already and stay).
    bool cutBack(std::uint64_t offset);
    // The file written into; false when it cannot be told.
    bool identify(dev_t& device, ino_t& inode) const;
    // Flushes, closes and gives a temporary file its final name. On a sticky error the
    // temporary file is removed instead and the error returned.
    ZipResult finish();

private:
    ZipTarget() = default;
    bool flush();
    bool fail();

    UniqueFd fd_;
    UniqueFd folderFd_;    // folder of the temporary file, when there is one
    std::string tempName_; // empty when writing directly
    std::string finalName_;
    bool canSeek_ = false;
    std::uint64_t flushed_ = 0;
    Bytes buffer_;
    ZipResult stickyError_ = ZipOk;
};

} // namespace tarvo::zip
