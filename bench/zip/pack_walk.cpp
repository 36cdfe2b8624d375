#include "pack_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

void walk(const std::string& path, const std::string& name, PackWalk& result);

void walkFolder(const std::string& path, const std::string& prefix, PackWalk& result) {
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        result.errors.push_back(path + ": " + std::strerror(errno));
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        walk(path + "/" + name, prefix.empty() ? name : prefix + "/" + name, result);
    }
}

void walk(const std::string& path, const std::string& name, PackWalk& result) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        result.errors.push_back(path + ": " + std::strerror(errno));
    } else if (S_ISLNK(status.st_mode)) {
        result.skippedLinks.push_back(path);
    } else if (S_ISDIR(status.st_mode)) {
        if (!name.empty()) {
            result.requests.push_back({name, {}, true});
        }
        walkFolder(path, name, result);
    } else {
        // Anything that is not a regular file is left to the zip layer to refuse.
        result.requests.push_back({name, path, false});
    }
}

} // namespace

PackWalk walkForPacking(const std::vector<std::string>& paths) {
    PackWalk result;
    for (std::string path : paths) {
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        const std::size_t slash = path.rfind('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name == "." || name == "..") {
            name.clear();
        }
        walk(path, name, result);
    }
    return result;
}
