#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string programFolder() {
    if (const char* home = std::getenv("TARVO_HOME"); home != nullptr && *home != '\0') {
        std::string folder(home);
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder;
    }
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path().string();
    return executable.parent_path().string();
}

bool isWithin(std::string_view path, std::string_view folder) {
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}
