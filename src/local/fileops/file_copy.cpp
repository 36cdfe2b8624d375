#include "local/fileops/file_copy.h"

#include "local/fileops/staged_entry.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tarvo::fileops {

namespace {

// The next stretch of data at or after `from`, before `end`; false when none is left. File
// systems without extent queries report the whole file as data.
bool nextExtent(int fd, std::int64_t from, std::int64_t end, std::int64_t& start,
                std::int64_t& stop) {
    if (from >= end)
        return false;
    const off_t data = ::lseek(fd, from, SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO)
            return false;
        start = from;
        stop = end;
        return true;
    }
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    start = data;
    stop = std::min<std::int64_t>(hole < 0 ? end : hole, end);
    return start < stop;
}

int copyData(FileCopyRequest& request, int out, DataPath& data, std::stop_token& stop,
             const std::function<void(std::int64_t)>& moved) {
    const std::int64_t size = request.source->st_size;
    if (size == 0)
        return 0;
    if (request.tryClone) {
        if (data.clone(request.sourceFd, out) == 0) {
            moved(size);
            return 0;
        }
        request.tryClone = false;
    }
    // Only a file with fewer blocks than bytes can have holes worth asking about.
    const bool sparse = request.source->st_blocks * 512 < size;
    std::int64_t start = 0;
    std::int64_t end = size;
    std::int64_t written = 0;
    for (std::int64_t from = 0;
         sparse ? nextExtent(request.sourceFd, from, size, start, end) : from == 0; from = end) {
        while (start < end) {
            if (stop.stop_requested())
                return ECANCELED;
            const DataStep step{
                request.sourceFd, out, start, start, std::min(end - start, kMaxStep),
                request.route};
            const std::int64_t done = data.move(step);
            if (done < 0)
                return static_cast<int>(-done);
            if (done == 0) {
                end = start; // the file got shorter meanwhile: what is left is a hole
                break;
            }
            start += done;
            written = start;
            moved(done);
        }
    }
    // Extends the file over a hole at its end, which no step wrote.
    return written == size || ::ftruncate(out, size) == 0 ? 0 : errno;
}

} // namespace

int copyRegularFile(FileCopyRequest& request, DataPath& data, std::stop_token stop,
                    const std::function<void(std::int64_t)>& moved) {
    StagedFile target;
    const mode_t mode = request.source->st_mode & 0777;
    if (const int error = target.create(request.targetFolderFd, mode); error != 0)
        return error;
    if (const int error = copyData(request, target.fd(), data, stop, moved); error != 0)
        return error;
    const struct timespec times[2] = {request.source->st_atim, request.source->st_mtim};
    if ((!target.hasMode(mode) && ::fchmod(target.fd(), mode) != 0) ||
        ::futimens(target.fd(), times) != 0)
        return errno;
    if (stop.stop_requested())
        return ECANCELED;
    return target.publish(request.name, request.replace);
}

} // namespace tarvo::fileops
