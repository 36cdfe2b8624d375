#pragma once

#include <string>

// The archive a pack proposes in a panel's folder: inside it, named after the folder's last
// component ("root" at "/") with ".zip" appended.
std::string proposedArchivePath(const std::string& folder);

// A path the user typed for an archive: a relative one is taken from the panel's folder;
// "." and ".." steps are resolved by the text alone.
std::string resolveTypedPath(const std::string& folder, const std::string& typed);

// A folder the user typed to unpack into, resolved the same way; it ends in "/", so that entry
// names appended to it land inside it.
std::string resolveTypedFolder(const std::string& folder, const std::string& typed);
