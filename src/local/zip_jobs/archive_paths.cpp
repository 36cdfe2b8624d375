#include "local/zip_jobs/archive_paths.h"

#include "platform/posix/path.h"

#include <filesystem>

std::string proposedArchivePath(const std::string& folder) {
    std::filesystem::path normal = std::filesystem::path(folder).lexically_normal();
    if (!normal.has_filename())
        normal = normal.parent_path(); // "/home/ann/" names "ann"
    const std::string name = normal.filename();
    return joinPath(folder, (name.empty() ? "root" : name) + ".zip");
}

std::string resolveTypedPath(const std::string& folder, const std::string& typed) {
    const std::string path =
        !typed.empty() && typed.front() == '/' ? typed : joinPath(folder, typed);
    return std::filesystem::path(path).lexically_normal();
}

std::string resolveTypedFolder(const std::string& folder, const std::string& typed) {
    std::string path = resolveTypedPath(folder, typed);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}
