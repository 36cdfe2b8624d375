#include "local/start_folder.h"

#include <filesystem>

#include <dirent.h>

namespace {

bool listable(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    ::closedir(dir);
    return true;
}

bool absolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

} // namespace

std::string startFolderOf(const std::string& stored, const std::string& home) {
    const std::string wanted = absolute(stored) ? stored : absolute(home) ? home : "/";
    std::filesystem::path folder = std::filesystem::path(wanted).lexically_normal();
    if (folder.has_relative_path() && !folder.has_filename())
        folder = folder.parent_path(); // "/a/b/" -> "/a/b"
    return folder.string();
}

std::string nearestListableFolder(const std::string& folder) {
    std::filesystem::path candidate(folder);
    while (candidate.has_relative_path() && !listable(candidate.string()))
        candidate = candidate.parent_path();
    return candidate.string();
}
