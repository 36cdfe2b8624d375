#include "local/fileops/file_id.h"

#include "platform/posix/unique_fd.h"

#include <fcntl.h>

namespace tarvo::fileops {

bool isSameOrBelow(int folderFd, FileId folder) {
    struct stat status {};
    if (::fstat(folderFd, &status) != 0)
        return false;
    FileId current = FileId::of(status);
    UniqueFd climbing;
    int at = folderFd;
    // Deeper than any real tree; a loop in the parents (a broken file system) ends here.
    for (int depth = 0; depth < 4096; ++depth) {
        if (current == folder)
            return true;
        UniqueFd parent(::openat(at, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent.valid() || ::fstat(parent.get(), &status) != 0)
            return false;
        const FileId above = FileId::of(status);
        if (above == current)
            return false; // the root is its own parent
        current = above;
        climbing = std::move(parent);
        at = climbing.get();
    }
    return false;
}

} // namespace tarvo::fileops
