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
    // A folder pair the walk is in; the walk keeps them on a stack of its own.
    struct Level;
    struct Entry;

    std::string sourcePath(const Level& in, const std::string& name) const;
    std::string targetPath(const Level& in, const std::string& name) const;
    std::string pathOf(const Level& in, const std::string& name, const std::string& top) const;
    // Walks the top level's entries and every folder below, innermost level first.
    void walk(std::unique_ptr<Level> top);
    // In a folder this transfer made (`fresh`) nothing is in the way: nothing is looked up.
    // Returns the level of a folder to walk, if the entry is one.
    std::unique_ptr<Level> entry(const Level& in, const std::string& name,
                                 const struct stat& status, bool fresh = false);
    // Copies the files of a folder this transfer made on the pool, counted in its batch.
    void copyAside(Level& level);
    std::unique_ptr<Level> folder(const Entry& entry, bool exists);
    // Once a folder's entries are done: gives its copy the source's mode and times, and removes
    // the source of a move.
    void finish(Level& level);
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
    std::string sourceTop_; // the paths of the folders the transfer was given
    std::string targetTop_;
    std::atomic<bool> crossDevice_{false};
    std::atomic<bool> tryClone_{true}; // until the file systems refuse to share blocks
    DataRoute route_;
    std::unordered_set<FileId, FileIdHash> made_; // folders this transfer made
    std::mutex hostMutex_;
    std::unique_ptr<CopyPool> pool_; // made when first needed
};

} // namespace tarvo::fileops
