#include "local/fileops/entry_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvo::fileops {

UniqueFd openFolder(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

UniqueFd openSubfolder(int folderFd, const std::string& name) {
    return UniqueFd(
        ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

int listNames(int folderFd, std::vector<std::string>& names) {
    const int own = ::dup(folderFd);
    if (own < 0)
        return errno;
    DIR* folder = ::fdopendir(own);
    if (folder == nullptr) {
        const int error = errno;
        ::close(own);
        return error;
    }
    ::rewinddir(folder);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            names.emplace_back(name);
    }
    ::closedir(folder);
    return error;
}

MakeFolderResult makeFolder(int folderFd, const std::string& name) {
    // No name names the folder itself, which is there.
    const char* path = name.empty() ? "." : name.c_str();
    if (::mkdirat(folderFd, path, 0777) == 0)
        return MakeFolderResult::Made;
    const int error = errno;
    struct stat status {};
    if (error == EEXIST && ::fstatat(folderFd, path, &status, 0) == 0 && S_ISDIR(status.st_mode))
        return MakeFolderResult::Exists;
    errno = error;
    return MakeFolderResult::Failed;
}

int renameEntry(int folderFd, const std::string& from, const std::string& to) {
    if (::renameat2(folderFd, from.c_str(), folderFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // A file system without no-replace renames: a file is linked under the new name (which
    // fails when it is taken) and then loses the old one; a folder is checked right before.
    struct stat status {};
    if (::fstatat(folderFd, from.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (!S_ISDIR(status.st_mode)) {
        if (::linkat(folderFd, from.c_str(), folderFd, to.c_str(), 0) != 0)
            return errno;
        if (::unlinkat(folderFd, from.c_str(), 0) != 0) {
            const int error = errno;
            ::unlinkat(folderFd, to.c_str(), 0);
            return error;
        }
        return 0;
    }
    if (::fstatat(folderFd, to.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(folderFd, from.c_str(), folderFd, to.c_str()) == 0 ? 0 : errno;
}

int setReadOnly(int folderFd, const std::string& name, bool readOnly) {
    struct stat status {};
    if (::fstatat(folderFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISLNK(status.st_mode))
        return 0;
    const mode_t bits = status.st_mode & 07777;
    const mode_t mode = readOnly ? bits & ~mode_t{0222} : bits | S_IWUSR;
    if (mode == bits)
        return 0;
    return ::fchmodat(folderFd, name.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

} // namespace tarvo::fileops
