#include "local/fileops/transfer.h"

#include "local/fileops/entry_ops.h"
#include "local/fileops/file_copy.h"
#include "local/fileops/staged_entry.h"
#include "platform/posix/path.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tarvo::fileops {

namespace {

constexpr int kNoFollow = AT_SYMLINK_NOFOLLOW;

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

// A tree of any depth costs nothing of the thread's stack, and as each level keeps only its
// own name, memory in proportion to the depth; paths are put together when needed.
struct Transfer::Level {
    struct Named {
        std::string name;
        struct stat status;
    };
    const Level* parent = nullptr; // null for the folders the transfer was given
    std::string name;
    int source = -1;
    int target = -1;
    UniqueFd from; // hold `source` and `target` below the top
    UniqueFd into;
    struct stat status {};    // of the source folder, for the copy's mode and times
    bool exists = false;      // the target folder was there already
    bool listed = false;      // all of the source folder's names were read
    std::vector<Named> files; // of a folder made here: copied side by side
    std::vector<Named> others;
    std::size_t next = 0; // in `others`
    CopyPool::Batch batch;
};

struct Transfer::Entry {
    const Level& in;
    const std::string& name;
    const struct stat& status;
    std::string sourcePath;
    std::string targetPath;
};

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

std::string Transfer::pathOf(const Level& in, const std::string& name,
                             const std::string& top) const {
    std::vector<const std::string*> names{&name};
    for (const Level* level = &in; level->parent != nullptr; level = level->parent)
        names.push_back(&level->name);
    std::string path = top;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += **name;
    }
    return path;
}

std::string Transfer::sourcePath(const Level& in, const std::string& name) const {
    return pathOf(in, name, sourceTop_);
}

std::string Transfer::targetPath(const Level& in, const std::string& name) const {
    return pathOf(in, name, targetTop_);
}

void Transfer::run(const Folder& source, const std::string& name, const Folder& target) {
    sourceTop_ = source.path;
    targetTop_ = target.path;
    auto top = std::make_unique<Level>();
    top->source = source.fd;
    top->target = target.fd;
    top->others.push_back({name, {}});
    struct stat& status = top->others.back().status;
    if (::fstatat(source.fd, name.c_str(), &status, kNoFollow) != 0) {
        fail(Problem::CopyFailed, errno, joinPath(source.path, name));
        return;
    }
    if (S_ISDIR(status.st_mode) && isSameOrBelow(target.fd, FileId::of(status))) {
        fail(Problem::IntoItself, 0, joinPath(target.path, name));
        return;
    }
    walk(std::move(top));
}

void Transfer::walk(std::unique_ptr<Level> top) {
    // Levels end innermost first, also when the walk is left by an exception: copies still
    // running in a level use its descriptors and name their paths through the levels above.
    struct Stack {
        std::vector<std::unique_ptr<Level>> levels;
        Transfer& transfer;
        ~Stack() {
            while (!levels.empty()) {
                if (transfer.pool_)
                    transfer.pool_->wait(levels.back()->batch);
                levels.pop_back();
            }
        }
    } stack{{}, *this};
    stack.levels.push_back(std::move(top));
    while (!stack.levels.empty()) {
        Level& level = *stack.levels.back();
        if (level.next < level.others.size() && !stopped()) {
            const Level::Named& other = level.others[level.next++];
            const bool fresh = level.parent != nullptr && !level.exists;
            if (auto inner = entry(level, other.name, other.status, fresh))
                stack.levels.push_back(std::move(inner));
            continue;
        }
        if (pool_)
            pool_->wait(level.batch);
        if (level.parent != nullptr)
            finish(level);
        stack.levels.pop_back();
    }
}

std::unique_ptr<Transfer::Level> Transfer::entry(const Level& in, const std::string& name,
                                                 const struct stat& status, bool fresh) {
    const Entry entry{in, name, status, sourcePath(in, name), targetPath(in, name)};
    struct stat existing {};
    errno = ENOENT;
    const bool exists = !fresh && ::fstatat(in.target, name.c_str(), &existing, kNoFollow) == 0;
    if (!exists && errno != ENOENT) {
        fail(Problem::CopyFailed, errno, entry.targetPath);
        return nullptr;
    }
    if (exists && FileId::of(existing) == FileId::of(status)) {
        fail(Problem::SameEntry, 0, entry.targetPath);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        if (!exists || S_ISDIR(existing.st_mode))
            return folder(entry, exists);
        fail(Problem::FolderNotMade, EEXIST, entry.targetPath);
        return nullptr;
    }
    if (S_ISSOCK(status.st_mode)) {
        fail(Problem::Socket, 0, entry.sourcePath);
        return nullptr;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        fail(Problem::CopyFailed, EISDIR, entry.targetPath);
        return nullptr;
    }
    if (exists && (!replaceExisting(entry.targetPath) || stopped()))
        return nullptr;
    if (nonFolder(entry, exists) && mode_ == TransferMode::Move && crossDevice_)
        removeSource(entry);
    return nullptr;
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
    const int source = entry.in.source;
    const int target = entry.in.target;
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
        return {copyLink(entry.in.source, entry.name, status, entry.in.target, replace)};
    if (!S_ISREG(status.st_mode))
        return {copyNode(entry.name, status, entry.in.target, replace)};
    // Never blocks on whatever replaced the file meanwhile, and never opens a link's target.
    UniqueFd file(::openat(entry.in.source, entry.name.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!file.valid() || ::fstat(file.get(), &opened) != 0)
        return {errno, true};
    if (!S_ISREG(opened.st_mode) || FileId::of(opened) != FileId::of(status))
        return {EAGAIN, true};
    FileCopyRequest request{file.get(), &opened,   entry.in.target, entry.name,
                            replace,    tryClone_, &route_};
    const int error =
        copyRegularFile(request, data_, stop_, [this](std::int64_t bytes) { host_.moved(bytes); });
    if (!request.tryClone)
        tryClone_ = false;
    return {error};
}

void Transfer::removeSource(const Entry& entry) {
    if (::unlinkat(entry.in.source, entry.name.c_str(), 0) != 0)
        fail(Problem::FileNotDeleted, errno, entry.sourcePath);
}

void Transfer::copyAside(Level& level) {
    const std::size_t count = level.files.size();
    // Several tasks a thread, so a large file does not hold the others up.
    const std::size_t tasks = std::min(count, pool().threads() * std::size_t{4});
    const std::size_t each = (count + tasks - 1) / tasks;
    for (std::size_t first = 0; first < count; first += each) {
        const std::size_t last = std::min(count, first + each);
        pool().submit(level.batch, [this, &level, first, last] {
            for (std::size_t i = first; i < last && !stopped(); ++i) {
                const Level::Named& file = level.files[i];
                try {
                    entry(level, file.name, file.status, true);
                } catch (const std::exception&) {
                    // Out of memory, most likely: this file is not done, and the user hears so.
                    fail(Problem::CopyFailed, 0, targetPath(level, file.name));
                }
            }
        });
    }
}

std::unique_ptr<Transfer::Level> Transfer::folder(const Entry& entry, bool exists) {
    if (made_.count(FileId::of(entry.status)))
        return nullptr; // a copy made by this transfer is never walked as a source
    if (!exists && renaming()) {
        host_.started(entry.sourcePath, 0);
        const int error = rename(entry, false);
        if (error == 0)
            return nullptr;
        if (error != EXDEV && error != EEXIST) {
            fail(Problem::CopyFailed, error, entry.targetPath);
            return nullptr;
        }
        crossDevice_ = error == EXDEV;
        exists = error == EEXIST;
    }
    if (!exists && ::mkdirat(entry.in.target, entry.name.c_str(), 0700) != 0) {
        fail(Problem::FolderNotMade, errno, entry.targetPath);
        return nullptr;
    }
    auto level = std::make_unique<Level>();
    level->into = openSubfolder(entry.in.target, entry.name);
    if (!level->into.valid()) {
        fail(Problem::FolderNotMade, errno, entry.targetPath);
        return nullptr;
    }
    struct stat made {};
    if (!exists && ::fstat(level->into.get(), &made) == 0)
        made_.insert(FileId::of(made));
    level->parent = &entry.in;
    level->name = entry.name;
    level->status = entry.status;
    level->exists = exists;
    level->from = openSubfolder(entry.in.source, entry.name);
    level->source = level->from.get();
    level->target = level->into.get();
    std::vector<std::string> names;
    const int error = level->from.valid() ? listNames(level->source, names) : errno;
    if (error != 0)
        fail(Problem::CopyFailed, error, entry.sourcePath);
    level->listed = error == 0;
    for (std::string& name : names) {
        struct stat status {};
        if (::fstatat(level->source, name.c_str(), &status, kNoFollow) != 0)
            fail(Problem::CopyFailed, errno, joinPath(entry.sourcePath, name));
        else
            (!exists && S_ISREG(status.st_mode) ? level->files : level->others)
                .push_back({std::move(name), status});
    }
    if (!level->files.empty())
        copyAside(*level);
    return level;
}

void Transfer::finish(Level& level) {
    if (!level.exists) {
        // Last, so that a read-only folder could be filled and its time is not the copy's.
        const struct timespec times[2] = {level.status.st_atim, level.status.st_mtim};
        ::fchmod(level.target, level.status.st_mode & 0777);
        ::futimens(level.target, times);
    }
    const Level& parent = *level.parent;
    if (mode_ == TransferMode::Move && level.listed && !stopped() &&
        ::unlinkat(parent.source, level.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOTEMPTY &&
        errno != EEXIST)
        fail(Problem::FolderNotDeleted, errno, sourcePath(parent, level.name));
}

} // namespace tarvo::fileops
