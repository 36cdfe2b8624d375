#include "platform/whole_file.h"

#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reasonOf(int code) {
    return std::strerror(code);
}

std::string tooLarge(std::size_t maxBytes) {
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::string& error) {
    // Non-blocking, so that a pipe under the name cannot hold the caller up.
    const tarvo::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
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
        error = tooLarge(maxBytes);
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
            error = tooLarge(maxBytes); // it grew while being read
            return std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> readProgramFile(const std::string& path, std::string& problem) {
    problem.clear();
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 && errno == ENOENT)
        return std::nullopt;
    std::string error;
    auto content = readWholeFile(path, kProgramFileLimit, error);
    if (!content)
        problem = "The file " + path + " could not be read (" + error +
                  "). It is left as it is and not used.";
    return content;
}
