#include "platform/atomic_file.h"

#include "platform/posix/path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failure(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Gives the unnamed file open as fd a fresh name beside path; empty when it cannot (no /proc).
std::string nameUnnamedFile(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = path + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Writes the file through a temporary one. With unnamed set, the temporary file has no name
// while it is written and flushed, so that a process killed meanwhile leaves nothing behind; it
// is named only to be renamed. False in `done` when that way is not open here.
std::string replaceThroughTemporary(const std::string& path, std::string_view content, mode_t mode,
                                    bool unnamed, bool& done) {
    done = true;
    std::string temporary; // its name, once it has one
    int fd = -1;
    if (unnamed) {
        const std::string folder = folderOf(path); // a bare name lies in the working folder
        fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    } else {
        temporary = path + ".XXXXXX";
        fd = ::mkstemp(temporary.data());
    }
    if (fd < 0) {
        done = !unnamed;
        return failure("creating a temporary file");
    }
    std::string error;
    if (::fchmod(fd, mode) != 0)
        error = failure("setting permissions");
    else if (!writeAll(fd, content))
        error = failure("writing");
    else if (::fsync(fd) != 0)
        error = failure("flushing");
    else if (unnamed && (temporary = nameUnnamedFile(fd, path)).empty())
        done = false;
    if (::close(fd) != 0 && error.empty())
        error = failure("closing");
    if (done && error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = failure("renaming");
    if (!error.empty() && !temporary.empty())
        ::unlink(temporary.c_str());
    return error;
}

} // namespace

std::string replaceFileContent(const std::string& path, std::string_view content,
                               std::optional<unsigned> wanted) {
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    // Decided by the mode bits, not by access(): root may write anything.
    if (exists && (old.st_mode & S_IWUSR) == 0)
        return "the file is read-only";
    const mode_t mode = wanted ? static_cast<mode_t>(*wanted) : exists ? (old.st_mode & 07777) : 0644;
    bool done = false;
    std::string error = replaceThroughTemporary(path, content, mode, true, done);
    if (!done)
        error = replaceThroughTemporary(path, content, mode, false, done);
    return error;
}
