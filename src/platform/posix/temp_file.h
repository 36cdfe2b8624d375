#pragma once

// New files are written under a temporary name beside their final one and renamed over it
// only when complete, so an existing file is never left half replaced.

#include "platform/posix/unique_fd.h"

#include <sys/types.h>

#include <string>

namespace tarvo {

// A hidden name unlikely to be taken: ".tarvo-" and 16 random hex digits.
std::string newTempName();

// Creates a new, empty file with a unique hidden name in the folder `folderFd`, writable, with
// `mode` less the umask (by default the permissions a new file gets). Sets `name` to its name.
UniqueFd createTempFile(int folderFd, std::string& name, mode_t mode = 0666);

// Writes all bytes, going on after partial writes and interrupts.
bool writeAll(int fd, const void* data, std::size_t size);

} // namespace tarvo
