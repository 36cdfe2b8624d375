#include "local/zip/pack_walk.h"

#include "platform/posix/path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace tarvo::zip {

namespace {

class Walker {
public:
    Walker(const std::vector<FileIdentity>& leaveOut, const std::stop_token& stop, PackWalk& result)
        : leaveOut_(leaveOut), stop_(stop), result_(result) {}

    // Depth first on a stack of its own: a deep tree costs nothing of the thread's stack.
    void walk(std::string path, std::string name, std::size_t origin) {
        std::vector<Pending> pending;
        pending.push_back({std::move(path), std::move(name)});
        while (!pending.empty()) {
            if (stop_.stop_requested()) {
                result_.stopped = true;
                return;
            }
            const Pending next = std::move(pending.back());
            pending.pop_back();
            visit(next, origin, pending);
        }
    }

private:
    struct Pending {
        std::string path;
        std::string name;
    };

    // Adds the entry; a folder's entries go onto `pending`, the first of them on top.
    void visit(const Pending& entry, std::size_t origin, std::vector<Pending>& pending) {
        const std::string& path = entry.path;
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            skip(path, std::strerror(errno));
        } else if (S_ISLNK(status.st_mode)) {
            skip(path, "symbolic link, not followed", true);
        } else if (S_ISDIR(status.st_mode)) {
            if (!entry.name.empty()) {
                add({entry.name, {}, true}, origin);
            }
            listFolder(entry, pending);
        } else if (!S_ISREG(status.st_mode)) {
            skip(path, "neither a regular file nor a folder");
        } else if (std::find(leaveOut_.begin(), leaveOut_.end(),
                             FileIdentity{status.st_dev, status.st_ino}) == leaveOut_.end()) {
            add({entry.name, path, false}, origin);
        }
    }

    void listFolder(const Pending& folderEntry, std::vector<Pending>& pending) {
        const std::string& path = folderEntry.path;
        const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(path.c_str()), ::closedir);
        if (!folder) {
            skip(path, std::strerror(errno));
            return;
        }
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = ::readdir(folder.get())) {
            // Only these two: ".x" and "a." are entries like any other.
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.emplace_back(entry->d_name);
            }
        }
        if (errno != 0) {
            skip(path, std::strerror(errno));
        }
        std::sort(names.begin(), names.end(), std::greater<>());
        const std::string base = path == "/" ? std::string() : path;
        const std::string& prefix = folderEntry.name;
        for (const std::string& name : names) {
            pending.push_back({base + "/" + name, prefix.empty() ? name : prefix + "/" + name});
        }
    }

    void add(ZipAddRequest request, std::size_t origin) {
        result_.requests.push_back(std::move(request));
        result_.origins.push_back(origin);
    }

    void skip(const std::string& path, std::string reason, bool link = false) {
        result_.skipped.push_back({path, std::move(reason), link});
    }

    const std::vector<FileIdentity>& leaveOut_;
    const std::stop_token& stop_;
    PackWalk& result_;
};

} // namespace

PackWalk walkForPacking(const std::vector<std::string>& paths,
                        const std::vector<FileIdentity>& leaveOut, const std::stop_token& stop) {
    PackWalk result;
    Walker walker(leaveOut, stop, result);
    for (std::size_t origin = 0; origin < paths.size(); ++origin) {
        std::string path = paths[origin];
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        std::string name = nameOf(path);
        if (name == "." || name == "..") {
            name.clear();
        }
        walker.walk(path, name, origin);
    }
    return result;
}

} // namespace tarvo::zip
