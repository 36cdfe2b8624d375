#include "local/fileops/transfer.h"

#include "local/fileops/entry_ops.h"
#include "local/fileops/file_copy.h"
#include "local/fileops/staged_entry.h"
#include "platform/program_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tarvo::fileops {

namespace {

constexpr int kNoFollow = AT_SYMLINK_NOFOLLOW;

int copyLink(int sourceFolder, const std::string& name, const struct stat& status,
             int targetFolder, bool replace) {
    std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
    const ssize_t length = ::readlinkat(sourceFolder, name.c_str(), target.data(), target.size());
    if (length < 0)
        return errno;
    if (static_cast<std::size_t>(length) >= target.size())
        return EAGAIN; // the link changed under us
    target.resize(static_cast<std::size_t>(length));
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return makeAndPublish(targetFolder, name, replace, [&](int folder, const std::string& as) {
        if (::symlinkat(target.c_str(), folder, as.c_str()) != 0)
            return errno;
        ::utimensat(folder, as.c_str(), times, kNoFollow); // the times are a courtesy
        return 0;
    });
}

int copyNode(const std::string& name, const struct stat& status, int targetFolder,
             bool replace) {
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return makeAndPublish(targetFolder, name, replace, [&](int folder, const std::string& as) {
        if (::mknodat(folder, as.c_str(), (status.st_mode & S_IFMT) | 0600, status.st_rdev) != 0)
            return errno;
        if (::fchmodat(folder, as.c_str(), status.st_mode & 0777, 0) != 0 ||
            ::utimensat(folder, as.c_str(), times, kNoFollow) != 0) {
            const int error = errno;
            ::unlinkat(folder, as.c_str(), 0);
            return error;
        }
        return 0;
    });
}

} // namespace

bool Failure::diskFull() const {
    return problem == Problem::CopyFailed && (error == ENOSPC || error == EDQUOT);
}

Transfer::Transfer(TransferMode mode, WalkHost& host, std::stop_token stop, DataPath& data)
    : mode_(mode), host_(host), stop_(std::move(stop)), data_(data) {}

void Transfer::fail(Problem problem, int error, const std::string& path) {
    host_.failed({problem, error, path});
}

void Transfer::run(const Folder& source, const std::string& name, const Folder& target) {
    struct stat status {};
    if (::fstatat(source.fd, name.c_str(), &status, kNoFollow) != 0) {
        fail(Problem::CopyFailed, errno, joinPath(source.path, name));
        return;
    }
    if (S_ISDIR(status.st_mode) && isSameOrBelow(target.fd, FileId::of(status))) {
        fail(Problem::IntoItself, 0, joinPath(target.path, name));
        return;
    }
    entry(source, name, status, target);
}

void Transfer::entry(const Folder& source, const std::string& name, const struct stat& status,
                     const Folder& target) {
    const Entry entry{source, target, name, status, joinPath(source.path, name),
                      joinPath(target.path, name)};
    struct stat existing {};
    const bool exists = ::fstatat(target.fd, name.c_str(), &existing, kNoFollow) == 0;
    if (!exists && errno != ENOENT) {
        fail(Problem::CopyFailed, errno, entry.targetPath);
        return;
    }
    if (exists && FileId::of(existing) == FileId::of(status)) {
        fail(Problem::SameEntry, 0, entry.targetPath);
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        if (exists && !S_ISDIR(existing.st_mode))
            fail(Problem::FolderNotMade, EEXIST, entry.targetPath);
        else
            folder(entry, exists);
        return;
    }
    if (S_ISSOCK(status.st_mode)) {
        fail(Problem::Socket, 0, entry.sourcePath);
        return;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        fail(Problem::CopyFailed, EISDIR, entry.targetPath);
        return;
    }
    if (exists && (!host_.replaceExisting(entry.targetPath) || stopped()))
        return;
    if (nonFolder(entry, exists) && mode_ == TransferMode::Move && crossDevice_)
        removeSource(entry);
}

bool Transfer::nonFolder(const Entry& entry, bool replace) {
    host_.started(entry.sourcePath, S_ISREG(entry.status.st_mode) ? entry.status.st_size : 0);
    int error = renaming() ? rename(entry, replace) : EXDEV;
    if (error == EXDEV) {
        crossDevice_ = mode_ == TransferMode::Move;
        error = copyNonFolder(entry, replace);
    }
    if (error != 0 && error != ECANCELED)
        fail(Problem::CopyFailed, error, entry.targetPath);
    return error == 0;
}

int Transfer::rename(const Entry& entry, bool replace) {
    const int source = entry.source.fd;
    const int target = entry.target.fd;
    const char* name = entry.name.c_str();
    if (replace)
        return ::renameat(source, name, target, name) == 0 ? 0 : errno;
    if (::renameat2(source, name, target, name, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // No no-replace renames on this file system: make sure right before.
    struct stat existing {};
    if (::fstatat(target, name, &existing, kNoFollow) == 0)
        return EEXIST;
    return ::renameat(source, name, target, name) == 0 ? 0 : errno;
}

int Transfer::copyNonFolder(const Entry& entry, bool replace) {
    const struct stat& status = entry.status;
    if (S_ISLNK(status.st_mode))
        return copyLink(entry.source.fd, entry.name, status, entry.target.fd, replace);
    if (!S_ISREG(status.st_mode))
        return copyNode(entry.name, status, entry.target.fd, replace);
    // Never blocks on whatever replaced the file meanwhile, and never opens a link's target.
    UniqueFd file(::openat(entry.source.fd, entry.name.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!file.valid() || ::fstat(file.get(), &opened) != 0)
        return errno;
    if (!S_ISREG(opened.st_mode) || FileId::of(opened) != FileId::of(status))
        return EAGAIN;
    FileCopyRequest request{file.get(), &opened, entry.target.fd, entry.name, replace, tryClone_};
    const int error = copyRegularFile(request, data_, stop_, [this](std::int64_t bytes) {
        host_.moved(bytes);
    });
    tryClone_ = request.tryClone;
    return error;
}

void Transfer::removeSource(const Entry& entry) {
    if (::unlinkat(entry.source.fd, entry.name.c_str(), 0) != 0)
        fail(Problem::FileNotDeleted, errno, entry.sourcePath);
}

void Transfer::folder(const Entry& entry, bool exists) {
    if (made_.count(FileId::of(entry.status)))
        return; // a copy made by this transfer is never walked as a source
    if (!exists && renaming()) {
        host_.started(entry.sourcePath, 0);
        const int error = rename(entry, false);
        if (error == 0)
            return;
        if (error != EXDEV && error != EEXIST) {
            fail(Problem::CopyFailed, error, entry.targetPath);
            return;
        }
        crossDevice_ = error == EXDEV;
        exists = error == EEXIST;
    }
    if (!exists && ::mkdirat(entry.target.fd, entry.name.c_str(), 0700) != 0) {
        fail(Problem::FolderNotMade, errno, entry.targetPath);
        return;
    }
    const UniqueFd into = openSubfolder(entry.target.fd, entry.name);
    if (!into.valid()) {
        fail(Problem::FolderNotMade, errno, entry.targetPath);
        return;
    }
    struct stat made {};
    if (!exists && ::fstat(into.get(), &made) == 0)
        made_.insert(FileId::of(made));
    const UniqueFd from = openSubfolder(entry.source.fd, entry.name);
    std::vector<std::string> names;
    const int error = from.valid() ? listNames(from.get(), names) : errno;
    if (error != 0)
        fail(Problem::CopyFailed, error, entry.sourcePath);
    const Folder source{from.get(), entry.sourcePath};
    const Folder target{into.get(), entry.targetPath};
    for (const std::string& name : names) {
        if (stopped())
            break;
        struct stat status {};
        if (::fstatat(from.get(), name.c_str(), &status, kNoFollow) != 0)
            fail(Problem::CopyFailed, errno, joinPath(source.path, name));
        else
            this->entry(source, name, status, target);
    }
    if (!exists) {
        // Last, so that a read-only folder could be filled and its time is not the copy's.
        const struct timespec times[2] = {entry.status.st_atim, entry.status.st_mtim};
        ::fchmod(into.get(), entry.status.st_mode & 0777);
        ::futimens(into.get(), times);
    }
    if (mode_ == TransferMode::Move && error == 0 && !stopped() &&
        ::unlinkat(entry.source.fd, entry.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOTEMPTY &&
        errno != EEXIST)
        fail(Problem::FolderNotDeleted, errno, entry.sourcePath);
}

} // namespace tarvo::fileops
