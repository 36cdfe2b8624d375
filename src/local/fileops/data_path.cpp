#include "local/fileops/data_path.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tarvo::fileops {

namespace {

// Errors that say "not this way between these two files", not "this copy failed".
bool tryAnotherWay(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == ENOTSUP;
}

std::int64_t throughBuffer(const DataStep& step) {
    thread_local std::vector<char> buffer(1 << 20);
    const auto want =
        static_cast<std::size_t>(std::min<std::int64_t>(step.length, std::ssize(buffer)));
    ssize_t got = 0;
    do {
        got = ::pread(step.in, buffer.data(), want, step.inOffset);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got < 0 ? -errno : 0;
    for (ssize_t written = 0; written < got;) {
        const ssize_t now =
            ::pwrite(step.out, buffer.data() + written, static_cast<std::size_t>(got - written),
                     step.outOffset + written);
        if (now < 0 && errno != EINTR)
            return -errno;
        if (now > 0)
            written += now;
    }
    return got;
}

class KernelDataPath : public DataPath {
public:
    std::int64_t move(const DataStep& step) override {
        const auto length = static_cast<std::size_t>(step.length);
        ssize_t moved = 0;
        if (step.route == nullptr || !step.route->copyRangeRefused) {
            loff_t inOffset = step.inOffset;
            loff_t outOffset = step.outOffset;
            do {
                moved = ::copy_file_range(step.in, &inOffset, step.out, &outOffset, length, 0);
            } while (moved < 0 && errno == EINTR);
            if (moved >= 0)
                return moved;
            if (!tryAnotherWay(errno))
                return -errno;
            if (step.route != nullptr)
                step.route->copyRangeRefused = true;
        }
        // sendfile writes at the file's position, which a new file has at 0.
        if (step.outOffset != 0 && ::lseek(step.out, step.outOffset, SEEK_SET) < 0)
            return -errno;
        off_t sendOffset = step.inOffset;
        do {
            moved = ::sendfile(step.out, step.in, &sendOffset, length);
        } while (moved < 0 && errno == EINTR);
        if (moved >= 0)
            return moved;
        if (!tryAnotherWay(errno))
            return -errno;
        return throughBuffer(step);
    }

    int clone(int in, int out) override { return ::ioctl(out, FICLONE, in) == 0 ? 0 : errno; }
};

} // namespace

DataPath& kernelDataPath() {
    static KernelDataPath path;
    return path;
}

} // namespace tarvo::fileops
