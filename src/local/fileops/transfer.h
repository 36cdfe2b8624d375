#pragma once

#include "local/fileops/copy_pool.h"
#include "local/fileops/data_path.h"
#include "local/fileops/file_id.h"
#include "local/fileops/walk_host.h"

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarvo::fileops {

// An open folder and the path that names it in messages.
struct Folder {
    int fd = -1;
    std::string path;
};

enum class TransferMode { Copy, Move };

// Copies or moves entries, whole trees included, from one folder into another under the same
// names. Never follows a symbolic link: a link is copied or moved as a link; FIFOs and device
// nodes are made anew, never opened; sockets are reported. A move renames where it can and
// otherwise copies each entry and then removes it, so a source goes only once its copy is
// complete. Refuses an entry onto itself and a folder into its own subtree. The files of a
// folder it made itself, where nothing can be in the way, are copied several at a time; the
// host hears of them one call at a time, and questions come only from the walk, in its order.
class Transfer {
public:
    Transfer(TransferMode mode, WalkHost& host, std::stop_token stop,
             DataPath& data = kernelDataPath());

    // Copies or moves the entry `name` of `source` into `target`.
    void run(const Folder& source, const std::string& name, const Folder& target);

private:
    struct Entry {
        const Folder& source;
        const Folder& target;
        const std::string& name;
        const struct stat& status;
        std::string sourcePath;
        std::string targetPath;
    };

    // In a folder this transfer made (`fresh`) nothing is in the way: nothing is looked up.
    void entry(const Folder& source, const std::string& name, const struct stat& status,
               const Folder& target, bool fresh = false);
    struct Named {
        std::string name;
        struct stat status;
    };
    // Copies the files of a folder this transfer made on the pool, counted in the batch.
    void copyAside(const std::vector<Named>& files, const Folder& source, const Folder& target,
                   CopyPool::Batch& batch);
    void folder(const Entry& entry, bool exists);
    // A file, link or node: returns true when the entry now stands at the target.
    bool nonFolder(const Entry& entry, bool replace);
    // An error of a copy and whether it concerns the source (which could not be read).
    struct CopyError {
        int error = 0;
        bool atSource = false;
    };
    CopyError copyNonFolder(const Entry& entry, bool replace);
    // Renames the entry into place; EXDEV when it lies on another file system.
    int rename(const Entry& entry, bool replace);
    void removeSource(const Entry& entry);
    // Questions and failures, one at a time.
    void fail(Problem problem, int error, const std::string& path);
    bool replaceExisting(const std::string& targetPath);
    CopyPool& pool();
    bool stopped() const { return stop_.stop_requested(); }
    bool renaming() const { return mode_ == TransferMode::Move && !crossDevice_; }

    const TransferMode mode_;
    WalkHost& host_;
    std::stop_token stop_;
    DataPath& data_;
    std::atomic<bool> crossDevice_{false};
    std::atomic<bool> tryClone_{true}; // until the file systems refuse to share blocks
    DataRoute route_;
    std::unordered_set<FileId, FileIdHash> made_; // folders this transfer made
    std::mutex hostMutex_;
    std::unique_ptr<CopyPool> pool_; // made when first needed
};

} // namespace tarvo::fileops
