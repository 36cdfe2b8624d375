#include "local/zip/zip_target.h"

#include "local/zip/file_attributes.h"
#include "platform/posix/path.h"
#include "platform/posix/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace tarvo::zip {

namespace {

constexpr std::size_t BufferCapacity = 256 * 1024;

// A symbolic link named as the archive is followed, so the archive replaces the file it
// points to rather than the link.
std::string resolveLink(const std::string& path) {
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

} // namespace

ZipResult ZipTarget::open(const std::string& path, std::unique_ptr<ZipTarget>& target) {
    std::unique_ptr<ZipTarget> opened(new ZipTarget());
    const std::string finalPath = resolveLink(path);
    struct stat existing {};
    const bool exists = ::stat(finalPath.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode)) {
            return ZipCannotOpen;
        }
        // Opened without waiting: a pipe that no one reads refuses at once instead of holding
        // the caller. Its writes block as usual afterwards.
        opened->fd_.reset(::open(finalPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!opened->fd_.valid() ||
            ::fcntl(opened->fd_.get(), F_SETFL,
                    ::fcntl(opened->fd_.get(), F_GETFL) & ~O_NONBLOCK) != 0) {
            return ZipCannotOpen;
        }
        opened->canSeek_ = ::lseek(opened->fd_.get(), 0, SEEK_CUR) >= 0;
    } else {
        if (exists && isReadOnlyMode(existing.st_mode)) {
            return ZipCannotOpen;
        }
        opened->finalName_ = nameOf(finalPath);
        std::string folder = folderOf(finalPath);
        if (folder.empty()) { // a bare name lies in the working folder
            folder = ".";
        }
        if (opened->finalName_.empty()) {
            return ZipCannotOpen;
        }
        opened->folderFd_.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!opened->folderFd_.valid()) {
            return ZipCannotOpen;
        }
        opened->fd_ = createTempFile(opened->folderFd_.get(), opened->tempName_);
        if (!opened->fd_.valid()) {
            return ZipCannotOpen;
        }
        opened->canSeek_ = true;
    }
    opened->buffer_.reserve(BufferCapacity);
    target = std::move(opened);
    return ZipOk;
}

ZipTarget::~ZipTarget() {
    if (!tempName_.empty()) {
        ::unlinkat(folderFd_.get(), tempName_.c_str(), 0);
    }
}

bool ZipTarget::fail() {
    if (stickyError_ == ZipOk) {
        stickyError_ = ZipWriteError;
    }
    return false;
}

bool ZipTarget::flush() {
    if (stickyError_ != ZipOk) {
        return false;
    }
    if (!writeAll(fd_.get(), buffer_.data(), buffer_.size())) {
        return fail();
    }
    flushed_ += buffer_.size();
    buffer_.clear();
    return true;
}

bool ZipTarget::put(const std::uint8_t* data, std::size_t size) {
    if (stickyError_ != ZipOk) {
        return false;
    }
    if (buffer_.size() + size > BufferCapacity) {
        if (!flush()) {
            return false;
        }
        if (size >= BufferCapacity) {
            if (!writeAll(fd_.get(), data, size)) {
                return fail();
            }
            flushed_ += size;
            return true;
        }
    }
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
}

bool ZipTarget::overwrite(std::uint64_t offset, const Bytes& bytes) {
    if (stickyError_ != ZipOk) {
        return false;
    }
    if (offset >= flushed_) {
        std::memcpy(buffer_.data() + (offset - flushed_), bytes.data(), bytes.size());
        return true;
    }
    if (!flush()) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd_.get(), bytes.data() + done, bytes.size() - done,
                                         static_cast<off_t>(offset + done));
        if (written <= 0) {
            return fail();
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool ZipTarget::cutBack(std::uint64_t offset) {
    if (stickyError_ != ZipOk || !canSeek_ || offset > position()) {
        return false;
    }
    if (offset >= flushed_) {
        buffer_.resize(offset - flushed_);
        return true;
    }
    buffer_.clear();
    if (::ftruncate(fd_.get(), static_cast<off_t>(offset)) != 0 ||
        ::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
        return fail();
    }
    flushed_ = offset;
    return true;
}

bool ZipTarget::identify(dev_t& device, ino_t& inode) const {
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) {
        return false;
    }
    device = status.st_dev;
    inode = status.st_ino;
    return true;
}

ZipResult ZipTarget::finish() {
    if (!flush() || !fd_.close()) {
        fail();
    }
    if (stickyError_ != ZipOk || tempName_.empty()) {
        return stickyError_;
    }
    if (::renameat(folderFd_.get(), tempName_.c_str(), folderFd_.get(), finalName_.c_str()) != 0) {
        return ZipWriteError;
    }
    tempName_.clear();
    return ZipOk;
}

} // namespace tarvo::zip
