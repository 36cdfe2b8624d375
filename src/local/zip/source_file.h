#pragma once

// A file on disk being packed.

#include "local/zip/zip_result.h"
#include "platform/posix/unique_fd.h"

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace tarvo::zip {

struct SourceInfo {
    std::uint64_t size = 0;
    mode_t mode = 0;
    // Unix seconds; the creation time is the modification time where the file system keeps
    // no birth time.
    std::int64_t accessTime = 0;
    std::int64_t modificationTime = 0;
    std::int64_t creationTime = 0;
};

class SourceFile {
public:
    // Opens a regular file for reading (following a symbolic link given by name). Anything
    // else, such as a folder, FIFO or device, gives ZipCannotOpen without being read, so a
    // pack never waits on a pipe.
    static ZipResult open(const std::string& path, SourceFile& source);

    int fd() const { return fd_.get(); }
    // Whether the file read to its end was the file as opened: as many bytes read as it had
    // then, and still that size. A file written to while it was read fails this.
    bool unchangedAfterReading(std::uint64_t bytesRead) const;
    const SourceInfo& info() const { return info_; }

private:
    UniqueFd fd_;
    SourceInfo info_;
};

} // namespace tarvo::zip
