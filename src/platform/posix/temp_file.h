#pragma once

// New files are written under a temporary name beside their final one and renamed over it
// only when complete, so an existing file is never left half replaced.

#include "platform/posix/unique_fd.h"

#include <string>

namespace tarvo {

// A hidden name unlikely to be taken: ".tarvo-" and 16 random hex digits.
std::string newTempName();

// Creates a new, empty file with a unique hidden name in the folder `folderFd`, writable,
// with the permissions a new file gets (0666 less the umask). Sets `name` to its name.
UniqueFd createTempFile(int folderFd, std::string& name);

// Writes all bytes, going on after partial writes and interrupts.
bool writeAll(int fd, const void* data, std::size_t size);

} // namespace tarvo
