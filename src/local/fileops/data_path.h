#pragma once

#include <atomic>
#include <cstdint>

namespace tarvo::fileops {

// What the kernel's path learns about two file systems, kept from file to file between them.
struct DataRoute {
    std::atomic<bool> copyRangeRefused{false};
};

// One step of a file's data: at most `length` bytes from `in` at `inOffset` to `out` at
// `outOffset`. `out` is a new file that only these steps write, in increasing order.
struct DataStep {
    int in = -1;
    int out = -1;
    std::int64_t inOffset = 0;
    std::int64_t outOffset = 0;
    std::int64_t length = 0;
    DataRoute* route = nullptr;
};

// How the bytes of a file travel. The program uses the kernel's; tests put in one that fails
// a write the way a full disk or a broken device does.
class DataPath {
public:
    virtual ~DataPath() = default;

    // Returns how many bytes were moved (more than 0), 0 when the input ended, or -errno.
    virtual std::int64_t move(const DataStep& step) = 0;

    // Lets the new file share the source's blocks, where the file system can: 0 when the whole
    // file is done, else the error (the caller then moves the bytes itself).
    virtual int clone(int in, int out) = 0;
};

// The kernel's path: copy_file_range, which stays inside the kernel and lets the file system
// share or copy blocks as it can; where a pair of file systems refuses it, sendfile; where that
// is refused too, reads and writes through a buffer. FICLONE for clone.
DataPath& kernelDataPath();

} // namespace tarvo::fileops
