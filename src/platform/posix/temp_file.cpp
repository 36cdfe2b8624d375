#include "platform/posix/temp_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace tarvo {

std::string newTempName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
    return ".tarvo-" + std::string(text);
}

UniqueFd createTempFile(int folderFd, std::string& name, mode_t mode) {
    constexpr int Attempts = 100;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        std::string candidate = newTempName();
        const int fd = ::openat(folderFd, candidate.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0) {
            name = std::move(candidate);
            return UniqueFd(fd);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return UniqueFd();
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace tarvo
