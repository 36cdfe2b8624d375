#include "local/zip/extraction_folder.h"

#include "local/zip/entry_names.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace tarvo::zip {

namespace {

constexpr mode_t NewFolderMode = 0777; // less the umask

// The caller's folder is made the way it was given, links and all.
void makeCallerFolder(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), NewFolderMode);
    }
    ::mkdir(folder.c_str(), NewFolderMode);
}

UniqueFd openEntryFolder(int parentFd, const std::string& name) {
    if (::mkdirat(parentFd, name.c_str(), NewFolderMode) != 0 && errno != EEXIST) {
        return UniqueFd();
    }
    return UniqueFd(
        ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

} // namespace

ZipResult planExtraction(const std::string& rootFolder, const std::string& targetPath,
                         const std::vector<std::string>& entryComponents, bool folderEntry,
                         ExtractionPlan& plan) {
    if (targetPath.empty() || (targetPath.front() != '/' && rootFolder.empty())) {
        return ZipBadArguments;
    }
    std::vector<std::string> target =
        pathComponents(targetPath.front() == '/' ? targetPath : rootFolder + targetPath);
    std::size_t entryFolders = entryComponents.size();
    plan.fileName.clear();
    if (!folderEntry) {
        if (target.empty() || target.back() == "..") {
            return ZipBadArguments;
        }
        plan.fileName = target.back();
        target.pop_back();
        --entryFolders;
    }
    // The trailing folders of the target that the entry's name supplied.
    std::size_t fromEntry = 0;
    while (fromEntry < target.size() && fromEntry < entryFolders &&
           target[target.size() - 1 - fromEntry] == entryComponents[entryFolders - 1 - fromEntry]) {
        ++fromEntry;
    }
    std::string base;
    for (std::size_t i = 0; i + fromEntry < target.size(); ++i) {
        base += '/';
        base += target[i];
    }
    plan.baseFolder = base.empty() ? std::string(1, '/') : std::move(base);
    plan.folders.assign(target.end() - static_cast<std::ptrdiff_t>(fromEntry), target.end());
    return ZipOk;
}

bool ExtractionFolders::cachedStillThere(const std::string& path) const {
    struct stat cached {};
    struct stat current {};
    return cachedFd_.valid() && path == cachedPath_ && ::fstat(cachedFd_.get(), &cached) == 0 &&
           ::stat(path.c_str(), &current) == 0 && cached.st_dev == current.st_dev &&
           cached.st_ino == current.st_ino;
}

ZipResult ExtractionFolders::open(const ExtractionPlan& plan, int& folderFd) {
    std::string path = plan.baseFolder;
    for (const std::string& folder : plan.folders) {
        path += (path.back() == '/' ? "" : "/") + folder;
    }
    if (!cachedStillThere(path)) {
        cachedFd_.reset();
        cachedPath_.clear();
        makeCallerFolder(plan.baseFolder);
        UniqueFd folder(::open(plan.baseFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (const std::string& name : plan.folders) {
            if (!folder.valid()) {
                break;
            }
            folder = openEntryFolder(folder.get(), name);
        }
        if (!folder.valid()) {
            return ZipCannotOpen;
        }
        cachedFd_ = std::move(folder);
        cachedPath_ = std::move(path);
    }
    folderFd = cachedFd_.get();
    return ZipOk;
}

} // namespace tarvo::zip
