#pragma once

// A new entry is made away from its name and appears under it only when it is complete, so a
// reader never sees half a file, and a stopped or failed copy leaves nothing behind.

#include "platform/posix/unique_fd.h"

#include <sys/types.h>

#include <functional>
#include <string>

namespace tarvo::fileops {

// Gives the hidden entry `tempName` of `folderFd` the name `name`: with `replace` it takes the
// place of an existing entry at once, without it an existing entry makes it fail with EEXIST.
// The hidden entry is gone afterwards either way. Returns 0 or the error.
int publishHidden(int folderFd, const std::string& tempName, const std::string& name, bool replace);

// Makes an entry through `make` (which gets the folder and a name and returns 0 or an error)
// under a hidden name and publishes it as `name`. Used for links, FIFOs and device nodes.
int makeAndPublish(int folderFd, const std::string& name, bool replace,
                   const std::function<int(int folderFd, const std::string& name)>& make);

// A regular file being written in its target folder: unnamed (O_TMPFILE) where the file
// system allows, else under a hidden name. Discarded unless published.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Returns 0 or the error. The file is made with `mode` where the process's umask leaves it
    // whole, else with the owner's read and write bits only.
    int create(int folderFd, mode_t mode);
    int fd() const { return fd_.get(); }
    // The file was made with exactly this mode.
    bool hasMode(mode_t mode) const { return createdMode_ == mode; }
    // Returns 0 or the error; see publishHidden for `replace`.
    int publish(const std::string& name, bool replace);

private:
    int folderFd_ = -1;
    UniqueFd fd_;
    std::string tempName_; // empty for an unnamed file
    mode_t createdMode_ = 0;
    bool published_ = false;
};

} // namespace tarvo::fileops
