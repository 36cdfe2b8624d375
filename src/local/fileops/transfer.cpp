#include "local/fileops/transfer.h"

#include "local/fileops/entry_ops.h"
#include "local/fileops/file_copy.h"
#include "local/fileops/staged_entry.h"
#include "platform/program_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tarvo::fileops {

namespace {

constexpr int kNoFollow = AT_SYMLINK_NOFOLLOW;

// Waits for a folder's copies however the walk leaves the folder: they use its descriptors.
class WaitForCopies {
public:
    WaitForCopies(const std::unique_ptr<CopyPool>& pool, CopyPool::Batch& batch)
        : pool_(pool), batch_(batch) {}
    ~WaitForCopies() {
        if (pool_)
            pool_->wait(batch_);
    }
    WaitForCopies(const WaitForCopies&) = delete;
    WaitForCopies& operator=(const WaitForCopies&) = delete;

private:
    const std::unique_ptr<CopyPool>& pool_;
    CopyPool::Batch& batch_;
};

int copyLink(int sourceFolder, const std::string& name, const struct stat& status, int targetFolder,
             bool replace) {
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

int copyNode(const std::string& name, const struct stat& status, int targetFolder, bool replace) {
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
    const std::lock_guard lock(hostMutex_);
    host_.failed({problem, error, path});
}

bool Transfer::replaceExisting(const std::string& targetPath) {
    const std::lock_guard lock(hostMutex_);
    return host_.replaceExisting(targetPath);
}

CopyPool& Transfer::pool() {
    if (!pool_) {
        constexpr unsigned kThreads = 4;
        pool_ = std::make_unique<CopyPool>(
            static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kThreads)));
    }
    return *pool_;
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
                     const Folder& target, bool fresh) {
    const Entry entry{
        source, target, name, status, joinPath(source.path, name), joinPath(target.path, name)};
    struct stat existing {};
    errno = ENOENT;
    const bool exists = !fresh && ::fstatat(target.fd, name.c_str(), &existing, kNoFollow) == 0;
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
    if (exists && (!replaceExisting(entry.targetPath) || stopped()))
        return;
    if (nonFolder(entry, exists) && mode_ == TransferMode::Move && crossDevice_)
        removeSource(entry);
}

bool Transfer::nonFolder(const Entry& entry, bool replace) {
    host_.started(entry.sourcePath, S_ISREG(entry.status.st_mode) ? entry.status.st_size : 0);
    CopyError copied{renaming() ? rename(entry, replace) : EXDEV};
    if (copied.error == EXDEV) {
        if (mode_ == TransferMode::Move)
            crossDevice_ = true;
        copied = copyNonFolder(entry, replace);
    }
    if (copied.error != 0 && copied.error != ECANCELED)
        fail(Problem::CopyFailed, copied.error,
             copied.atSource ? entry.sourcePath : entry.targetPath);
    return copied.error == 0;
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

Transfer::CopyError Transfer::copyNonFolder(const Entry& entry, bool replace) {
    const struct stat& status = entry.status;
    if (S_ISLNK(status.st_mode))
        return {copyLink(entry.source.fd, entry.name, status, entry.target.fd, replace)};
    if (!S_ISREG(status.st_mode))
        return {copyNode(entry.name, status, entry.target.fd, replace)};
    // Never blocks on whatever replaced the file meanwhile, and never opens a link's target.
    UniqueFd file(::openat(entry.source.fd, entry.name.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!file.valid() || ::fstat(file.get(), &opened) != 0)
        return {errno, true};
    if (!S_ISREG(opened.st_mode) || FileId::of(opened) != FileId::of(status))
        return {EAGAIN, true};
    FileCopyRequest request{file.get(), &opened,   entry.target.fd, entry.name,
                            replace,    tryClone_, &route_};
    const int error =
        copyRegularFile(request, data_, stop_, [this](std::int64_t bytes) { host_.moved(bytes); });
    if (!request.tryClone)
        tryClone_ = false;
    return {error};
}

void Transfer::removeSource(const Entry& entry) {
    if (::unlinkat(entry.source.fd, entry.name.c_str(), 0) != 0)
        fail(Problem::FileNotDeleted, errno, entry.sourcePath);
}

void Transfer::copyAside(const std::vector<Named>& files, const Folder& source,
                         const Folder& target, CopyPool::Batch& batch) {
    // Several tasks a thread, so a large file does not hold the others up.
    const std::size_t tasks = std::min(files.size(), pool().threads() * std::size_t{4});
    const std::size_t each = (files.size() + tasks - 1) / tasks;
    for (std::size_t first = 0; first < files.size(); first += each) {
        const std::size_t last = std::min(files.size(), first + each);
        pool().submit(batch, [this, &files, first, last, &source, &target] {
            for (std::size_t i = first; i < last && !stopped(); ++i) {
                try {
                    entry(source, files[i].name, files[i].status, target, true);
                } catch (const std::exception&) {
                    // Out of memory, most likely: this file is not done, and the user hears so.
                    fail(Problem::CopyFailed, 0, joinPath(target.path, files[i].name));
                }
            }
        });
    }
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
    std::vector<Named> files; // of a folder made here: copied side by side
    std::vector<Named> others;
    for (std::string& name : names) {
        struct stat status {};
        if (::fstatat(from.get(), name.c_str(), &status, kNoFollow) != 0)
            fail(Problem::CopyFailed, errno, joinPath(source.path, name));
        else
            (!exists && S_ISREG(status.st_mode) ? files : others)
                .push_back({std::move(name), status});
    }
    {
        CopyPool::Batch batch;
        const WaitForCopies wait(pool_, batch);
        if (!files.empty())
            copyAside(files, source, target, batch);
        for (const Named& other : others) {
            if (stopped())
                break;
            this->entry(source, other.name, other.status, target, !exists);
        }
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
