#include "ftp/download_file.h"

#include "platform/posix/temp_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

bool isOwnPart(int fd) {
    struct stat info {};
    char value = 0;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
           ::fgetxattr(fd, kPartFileMarker, &value, sizeof value) >= 0;
}

} // namespace

std::optional<DownloadFile> DownloadFile::inFolder(const std::string& folder, std::string name) {
    tarvo::UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    return DownloadFile(std::move(fd), std::move(name));
}

DownloadFile::DownloadFile(tarvo::UniqueFd folder, std::string name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

bool DownloadFile::finalExists() const {
    struct stat info {};
    return ::fstatat(folder_.get(), name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISDIR(info.st_mode);
}

bool DownloadFile::partExists() const {
    // Opened without blocking or following a link, so that a pipe or a link of the name is
    // merely not a part file.
    const tarvo::UniqueFd part(::openat(folder_.get(), partName().c_str(),
                                        O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    return part.valid() && isOwnPart(part.get());
}

bool DownloadFile::createFresh() {
    writing_ = partName();
    file_.reset(::openat(folder_.get(), writing_.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (file_.valid()) {
        // Without the marker the file stays an ordinary one, never resumed.
        (void)::fsetxattr(file_.get(), kPartFileMarker, "1", 1, 0);
        return true;
    }
    if (errno != EEXIST)
        return false;
    file_ = tarvo::createTempFile(folder_.get(), writing_);
    return file_.valid();
}

bool DownloadFile::openPart(std::uint64_t& offset) {
    writing_ = partName();
    file_.reset(::openat(folder_.get(), writing_.c_str(),
                         O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (!file_.valid() || !isOwnPart(file_.get()) || ::fstat(file_.get(), &info) != 0) {
        file_.reset();
        return false;
    }
    offset = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool DownloadFile::write(const char* data, std::size_t size) {
    return tarvo::writeAll(file_.get(), data, size);
}

std::uint64_t DownloadFile::size() const {
    struct stat info {};
    if (!file_.valid() || ::fstat(file_.get(), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

bool DownloadFile::rename(const std::string& from, bool replace) {
    if (replace) {
        struct stat old {};
        if (::fstatat(folder_.get(), name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(old.st_mode))
            ::fchmodat(folder_.get(), from.c_str(), (old.st_mode & 07777) | S_IWUSR, 0);
        return ::renameat(folder_.get(), from.c_str(), folder_.get(), name_.c_str()) == 0;
    }
    return ::renameat2(folder_.get(), from.c_str(), folder_.get(), name_.c_str(),
                       RENAME_NOREPLACE) == 0;
}

bool DownloadFile::finish(bool replace) {
    // The complete file is no part file, whatever name it is given.
    if (::fremovexattr(file_.get(), kPartFileMarker) != 0 && errno != ENODATA && errno != ENOTSUP)
        return false;
    if (!file_.close())
        return false;
    return rename(writing_, replace);
}

bool DownloadFile::finishFrom(std::uint64_t offset, bool replace) {
    if (!file_.close())
        return false;
    tarvo::UniqueFd source(
        ::openat(folder_.get(), writing_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    std::string restored;
    tarvo::UniqueFd target = tarvo::createTempFile(folder_.get(), restored);
    if (!source.valid() || !target.valid())
        return false;
    std::vector<char> buffer(1 << 20);
    auto at = static_cast<off_t>(offset);
    for (;;) {
        const ssize_t got = ::pread(source.get(), buffer.data(), buffer.size(), at);
        if (got < 0 || (got > 0 && !tarvo::writeAll(target.get(), buffer.data(),
                                                    static_cast<std::size_t>(got)))) {
            ::unlinkat(folder_.get(), restored.c_str(), 0);
            return false;
        }
        if (got == 0)
            break;
        at += got;
    }
    if (!target.close() || !rename(restored, replace)) {
        ::unlinkat(folder_.get(), restored.c_str(), 0);
        return false;
    }
    ::unlinkat(folder_.get(), writing_.c_str(), 0);
    return true;
}

void DownloadFile::discard() {
    file_.reset();
    ::unlinkat(folder_.get(), writing_.c_str(), 0);
}

void DownloadFile::keepUnfinished(std::uint64_t keepAbove) {
    if (writing_ != partName()) {
        discard();
        return;
    }
    keepUnfinishedPart(keepAbove);
}

void DownloadFile::keepUnfinishedPart(std::uint64_t keepAbove) {
    if (file_.valid() && size() <= keepAbove)
        (void)::ftruncate(file_.get(), 0);
    file_.reset();
}
