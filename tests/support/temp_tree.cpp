#include "support/temp_tree.h"

#include <filesystem>
#include <fstream>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A test may leave read-only folders behind; their owner may always open them up again.
int openUpFolder(const char* path, const struct stat* status, int kind, FTW*) {
    if (kind == FTW_D || kind == FTW_DNR)
        ::chmod(path, status->st_mode | S_IRWXU);
    return 0;
}

int removeOne(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path);
}

} // namespace

TempTree::TempTree(const std::string& base) {
    std::string pattern = base + "/tarvo-test-XXXXXX";
    check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    root_ = pattern;
    check(::chmod(root_.c_str(), 0755) == 0, "chmod " + root_);
}

TempTree::~TempTree() {
    // Without following links, so nothing outside the tree is touched.
    ::nftw(root_.c_str(), openUpFolder, 16, FTW_PHYS);
    ::nftw(root_.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempTree::file(const std::string& relative, std::int64_t size,
                           std::int64_t mtime) const {
    const std::string path = at(relative);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    check(fd >= 0, "create " + path);
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    check(sized, "truncate " + path);
    if (mtime >= 0) {
        const timespec times[2] = {{mtime, 0}, {mtime, 0}};
        check(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0, "utimensat " + path);
    }
    return path;
}

std::string TempTree::dir(const std::string& relative, unsigned mode) const {
    const std::string path = at(relative);
    check(::mkdir(path.c_str(), mode) == 0 && ::chmod(path.c_str(), mode) == 0, "mkdir " + path);
    return path;
}

std::string TempTree::symlink(const std::string& relative, const std::string& target) const {
    const std::string path = at(relative);
    check(::symlink(target.c_str(), path.c_str()) == 0, "symlink " + path);
    return path;
}

std::string TempTree::write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path path = at(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
    check(static_cast<bool>(out), "write " + path.string());
    return path.string();
}
