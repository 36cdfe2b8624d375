#include "local/fileops/staged_entry.h"

#include "platform/posix/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace tarvo::fileops {

namespace {

// An unnamed file can be given a name only through /proc/self/fd (or with a capability most
// users lack); without /proc mounted, files are written under hidden names instead.
bool unnamedFilesUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

// The process's umask, read without changing it; all bits when it cannot be read.
mode_t processUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        return mode_t{0777};
    }();
    return mask;
}

std::string procPath(int fd) {
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return path;
}

// Links the unnamed file as `name`; EEXIST when the name is taken.
int linkUnnamed(int fd, int folderFd, const std::string& name) {
    if (::linkat(AT_FDCWD, procPath(fd).c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int error = errno;
    if (error != ENOENT)
        return error;
    return ::linkat(fd, "", folderFd, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Runs `make` under fresh hidden names until one is free; sets tempName.
int makeHidden(int folderFd, std::string& tempName,
               const std::function<int(int, const std::string&)>& make) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = newTempName();
        const int error = make(folderFd, tempName);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

} // namespace

int publishHidden(int folderFd, const std::string& tempName, const std::string& name,
                  bool replace) {
    int error = 0;
    if (replace) {
        if (::renameat(folderFd, tempName.c_str(), folderFd, name.c_str()) != 0)
            error = errno;
    } else if (::renameat2(folderFd, tempName.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) !=
               0) {
        error = errno;
        if (error == EINVAL) {
            // A file system without no-replace renames: a hard link never replaces either.
            error =
                ::linkat(folderFd, tempName.c_str(), folderFd, name.c_str(), 0) == 0 ? 0 : errno;
            if (error == 0)
                ::unlinkat(folderFd, tempName.c_str(), 0);
        }
    }
    if (error != 0)
        ::unlinkat(folderFd, tempName.c_str(), 0);
    return error;
}

int makeAndPublish(int folderFd, const std::string& name, bool replace,
                   const std::function<int(int folderFd, const std::string& name)>& make) {
    if (!replace) {
        // Made right under its name: creating never replaces, so nothing can be half there.
        return make(folderFd, name);
    }
    std::string tempName;
    const int error = makeHidden(folderFd, tempName, make);
    return error != 0 ? error : publishHidden(folderFd, tempName, name, true);
}

StagedFile::~StagedFile() {
    if (!published_ && !tempName_.empty())
        ::unlinkat(folderFd_, tempName_.c_str(), 0);
}

int StagedFile::create(int folderFd, mode_t mode) {
    folderFd_ = folderFd;
    // Made with its final mode where the umask keeps it, which saves a call per file.
    createdMode_ = (mode & processUmask()) == 0 ? mode : 0600;
    if (unnamedFilesUsable()) {
        fd_.reset(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, createdMode_));
        if (fd_.valid())
            return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
    createdMode_ = 0600;
    return makeHidden(folderFd, tempName_, [this](int folder, const std::string& candidate) {
        fd_.reset(::openat(folder, candidate.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createdMode_));
        return fd_.valid() ? 0 : errno;
    });
}

int StagedFile::publish(const std::string& name, bool replace) {
    if (!tempName_.empty()) {
        // A late write error of some file systems shows only when the file is closed.
        if (!fd_.close())
            return errno;
        published_ = true;
        return publishHidden(folderFd_, tempName_, name, replace);
    }
    int error = 0;
    if (!replace) {
        error = linkUnnamed(fd_.get(), folderFd_, name);
    } else {
        std::string tempName;
        error = makeHidden(folderFd_, tempName, [this](int folder, const std::string& candidate) {
            return linkUnnamed(fd_.get(), folder, candidate);
        });
        if (error == 0)
            error = publishHidden(folderFd_, tempName, name, true);
    }
    published_ = error == 0;
    if (error == 0 && !fd_.close())
        return errno;
    return error;
}

} // namespace tarvo::fileops
