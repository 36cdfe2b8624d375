#include "platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reasonOf(int code) {
    return std::strerror(code);
}

// Closes the descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and tells whether that worked: a failed close can mean lost data.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::string& error) {
    // Non-blocking, so that a pipe under the name cannot hold the caller up.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) {
        error = reasonOf(errno);
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        error = reasonOf(errno);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::size_t>(status.st_size) > maxBytes) {
        error = "file too large";
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = reasonOf(errno);
            return std::nullopt;
        }
        if (got == 0)
            return content;
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            error = "file too large";
            return std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

bool writeWholeFile(const std::string& path, std::string_view bytes, unsigned mode,
                    std::string& error) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folderOf(path) + "/." + name + ".XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        error = reasonOf(errno);
        return false;
    }
    const bool written = writeAll(file.get(), bytes) &&
                         ::fchmod(file.get(), static_cast<mode_t>(mode)) == 0 &&
                         ::fsync(file.get()) == 0;
    const int writeError = errno;
    if (!file.close() || !written) {
        error = reasonOf(written ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = reasonOf(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
