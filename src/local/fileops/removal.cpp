#include "local/fileops/removal.h"

#include "local/fileops/entry_ops.h"
#include "platform/program_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tarvo::fileops {

bool Removal::run(const Folder& folder, const std::string& name) {
    const std::string path = joinPath(folder.path, name);
    struct stat status {};
    if (::fstatat(folder.fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        host_.failed({Problem::FileNotDeleted, errno, path});
        return false;
    }
    host_.started(path, 0);
    if (!S_ISDIR(status.st_mode)) {
        if (::unlinkat(folder.fd, name.c_str(), 0) == 0)
            return true;
        host_.failed({Problem::FileNotDeleted, errno, path});
        return false;
    }
    const UniqueFd inside = openSubfolder(folder.fd, name);
    std::vector<std::string> names;
    const int error = inside.valid() ? listNames(inside.get(), names) : errno;
    if (error != 0) {
        host_.failed({Problem::FolderNotDeleted, error, path});
        return false;
    }
    const Folder sub{inside.get(), path};
    bool emptied = true;
    for (const std::string& entry : names) {
        if (stop_.stop_requested())
            return false;
        emptied = run(sub, entry) && emptied;
    }
    if (!emptied)
        return false;
    if (::unlinkat(folder.fd, name.c_str(), AT_REMOVEDIR) == 0)
        return true;
    host_.failed({Problem::FolderNotDeleted, errno, path});
    return false;
}

} // namespace tarvo::fileops
