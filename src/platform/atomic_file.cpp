#include "platform/atomic_file.h"

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

} // namespace

std::string replaceFileContent(const std::string& path, std::string_view content) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure("creating a temporary file");
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    std::string error;
    if (::fchmod(fd, mode) != 0)
        error = failure("setting permissions");
    else if (!writeAll(fd, content))
        error = failure("writing");
    else if (::fsync(fd) != 0)
        error = failure("flushing");
    if (::close(fd) != 0 && error.empty())
        error = failure("closing");
    if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = failure("renaming");
    if (!error.empty())
        ::unlink(temporary.c_str());
    return error;
}
