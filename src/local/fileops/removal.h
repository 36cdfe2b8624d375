#pragma once

#include "local/fileops/transfer.h"
#include "local/fileops/walk_host.h"

#include <stop_token>
#include <string>

namespace tarvo::fileops {

// Removes entries, folders with everything in them, depth first. Never follows a symbolic link:
// a link is removed as a link and its target stays. Changes no permissions to get its way.
// The folders it is in are kept on a stack of its own, with one path for them all, so a tree
// of any depth costs neither the thread's stack nor memory beyond its depth.
class Removal {
public:
    Removal(WalkHost& host, std::stop_token stop) : host_(host), stop_(std::move(stop)) {}

    // Removes the entry `name` of `folder`; true when it is gone. A folder that keeps an entry
    // (a failure, or a stop) stays, and only the entry's own failure is reported.
    bool run(const Folder& folder, const std::string& name);

private:
    struct Level;
    enum class Step { Gone, Kept, Folder };

    // Removes a file, link or node; a folder is left to the walk.
    Step begin(int folderFd, const std::string& name, const std::string& path);
    // Opens and lists the folder onto the stack; false (reported) when it cannot.
    bool enter(int folderFd, const std::string& name, const std::string& path,
               std::vector<Level>& levels);
    bool removeFolder(int folderFd, const std::string& name, const std::string& path);

    WalkHost& host_;
    std::stop_token stop_;
};

} // namespace tarvo::fileops
