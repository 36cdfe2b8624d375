#include "local/fileops/removal.h"

#include "local/fileops/entry_ops.h"
#include "platform/posix/path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tarvo::fileops {

// A folder being emptied: its entries go one by one, a folder among them on a level of its own.
struct Removal::Level {
    UniqueFd fd;
    std::vector<std::string> names;
    std::size_t next = 0;
    std::size_t pathLength = 0; // of this folder's path, in the walk's one path
    bool emptied = true;
};

Removal::Step Removal::begin(int folderFd, const std::string& name, const std::string& path) {
    struct stat status {};
    if (::fstatat(folderFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return Step::Gone;
        host_.failed({Problem::FileNotDeleted, errno, path});
        return Step::Kept;
    }
    host_.started(path, 0);
    if (S_ISDIR(status.st_mode))
        return Step::Folder;
    if (::unlinkat(folderFd, name.c_str(), 0) == 0)
        return Step::Gone;
    host_.failed({Problem::FileNotDeleted, errno, path});
    return Step::Kept;
}

bool Removal::enter(int folderFd, const std::string& name, const std::string& path,
                    std::vector<Level>& levels) {
    Level level{openSubfolder(folderFd, name), {}, 0, path.size(), true};
    const int error = level.fd.valid() ? listNames(level.fd.get(), level.names) : errno;
    if (error != 0) {
        host_.failed({Problem::FolderNotDeleted, error, path});
        return false;
    }
    levels.push_back(std::move(level));
    return true;
}

bool Removal::removeFolder(int folderFd, const std::string& name, const std::string& path) {
    if (::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) == 0)
        return true;
    host_.failed({Problem::FolderNotDeleted, errno, path});
    return false;
}

bool Removal::run(const Folder& folder, const std::string& name) {
    std::string path = joinPath(folder.path, name);
    const Step first = begin(folder.fd, name, path);
    if (first != Step::Folder)
        return first == Step::Gone;
    std::vector<Level> levels;
    if (!enter(folder.fd, name, path, levels))
        return false;
    bool gone = false;
    while (!levels.empty()) {
        if (stop_.stop_requested())
            return false;
        Level& level = levels.back();
        path.resize(level.pathLength);
        if (level.next < level.names.size()) {
            const std::string& entry = level.names[level.next++];
            path += '/';
            path += entry;
            const int fd = level.fd.get();
            const Step step = begin(fd, entry, path);
            // A folder entered counts when its level ends; one that could not be entered stays,
            // and the stack did not grow, so `level` still stands.
            if (step == Step::Kept || (step == Step::Folder && !enter(fd, entry, path, levels)))
                level.emptied = false;
            continue;
        }
        const bool emptied = level.emptied;
        levels.pop_back();
        const int parent = levels.empty() ? folder.fd : levels.back().fd.get();
        const std::string& own =
            levels.empty() ? name : levels.back().names[levels.back().next - 1];
        gone = emptied && removeFolder(parent, own, path);
        if (!levels.empty())
            levels.back().emptied = levels.back().emptied && gone;
    }
    return gone;
}

} // namespace tarvo::fileops
