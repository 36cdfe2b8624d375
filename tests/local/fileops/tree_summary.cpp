#include "tree_summary.h"

#include "support/file_content.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "dir";
    if (S_ISLNK(mode))
        return "link";
    if (S_ISFIFO(mode))
        return "fifo";
    if (S_ISREG(mode))
        return "file";
    return "other";
}

} // namespace

std::string treeSummary(const std::string& root) {
    std::set<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return "cannot examine " + path;
        std::ostringstream line;
        line << path.substr(root.size()) << ' ' << kindOf(status.st_mode) << ' ' << std::oct
             << (status.st_mode & 07777) << std::dec;
        if (!S_ISLNK(status.st_mode))
            line << ' ' << status.st_mtim.tv_sec << '.' << status.st_mtim.tv_nsec;
        if (S_ISREG(status.st_mode))
            line << ' ' << status.st_size << ' ' << std::hash<std::string>{}(readFile(path));
        if (S_ISLNK(status.st_mode))
            line << " -> " << fs::read_symlink(entry.path()).string();
        lines.insert(line.str());
    }
    std::string summary;
    for (const std::string& line : lines)
        summary += line + "\n";
    return summary;
}
