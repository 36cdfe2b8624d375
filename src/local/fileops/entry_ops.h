#pragma once

// Single steps on entries of a folder, by name, never following a symbolic link in the name.

#include "platform/posix/unique_fd.h"

#include <string>
#include <vector>

namespace tarvo::fileops {

// Opens a folder for walking; the path itself may pass through links (it is the panel's).
UniqueFd openFolder(const std::string& path);
// Opens the folder `name` of `folderFd`; fails (ELOOP or ENOTDIR) for a link.
UniqueFd openSubfolder(int folderFd, const std::string& name);

// The names in an open folder, in the order the file system gives them, without "." and "..".
// Returns 0 or the error.
int listNames(int folderFd, std::vector<std::string>& names);

enum class MakeFolderResult { Made, Exists, Failed };
// Makes the folder `name` of `folderFd` (the name may name a deeper place; an empty one names
// the folder itself); Exists when a folder is there already; errno holds the error after Failed.
MakeFolderResult makeFolder(int folderFd, const std::string& name);

// Renames `from` to `to` in one folder; never replaces an existing entry (EEXIST then).
// Returns 0 or the error.
int renameEntry(int folderFd, const std::string& from, const std::string& to);

// Read-only clears every write bit; not read-only gives the owner the write bit. A symbolic
// link is passed over: it has no bits of its own, and its target is not the entry asked for.
// Returns 0 or the error.
int setReadOnly(int folderFd, const std::string& name, bool readOnly);

} // namespace tarvo::fileops
