// The panel engine's operations on entries: make, rename, mark read-only, and the file jobs
// (copy, move, delete) the workers run.
#include "local/file_job_host.h"
#include "local/fileops/entry_ops.h"
#include "local/fileops/removal.h"
#include "local/fileops/transfer.h"
#include "local/local_explorer.h"
#include "local/tree_entries.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "settings/language_table.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <optional>

namespace fileops = tarvo::fileops;
using tarvo::UniqueFd;

namespace {

// The folders of a job's entries, each opened once.
class JobFolders {
public:
    // Fails (and says so through the host) when the folder cannot be opened.
    std::optional<fileops::Folder> open(const std::string& path, fileops::WalkHost& host,
                                        fileops::Problem problem) {
        auto found = open_.find(path);
        if (found == open_.end()) {
            UniqueFd fd = fileops::openFolder(path);
            if (!fd.valid()) {
                host.failed({problem, errno, path});
                return std::nullopt;
            }
            found = open_.emplace(path, std::move(fd)).first;
        }
        return fileops::Folder{found->second.get(), path};
    }

private:
    std::map<std::string, UniqueFd> open_;
};

// The entry is still of the kind the panel listed: a delete never takes a whole tree where the
// user saw a file or a link.
bool stillAsListed(int folderFd, const MarkDomain& item) {
    struct stat status {};
    if (::fstatat(folderFd, item.Name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return true; // gone already, or the removal will say why not
    if (S_ISLNK(status.st_mode))
        return item.Link;
    return !item.Link && S_ISDIR(status.st_mode) == item.Folder;
}

} // namespace

bool LocalExplorer::MkDir(const std::string& path, const std::string& name) {
    const UniqueFd folder = fileops::openFolder(path);
    const fileops::MakeFolderResult result = folder.valid()
                                                 ? fileops::makeFolder(folder.get(), name)
                                                 : fileops::MakeFolderResult::Failed;
    if (result == fileops::MakeFolderResult::Failed)
        frontend_.messages().show(
            {"Tarvo Manager",
             texts_.translate("DirectoryNotCreated") + "\n\n" + joinPath(path, name),
             MessageButton::Ok | MessageButton::Cancel, MessageIcon::Information});
    return result == fileops::MakeFolderResult::Made;
}

bool LocalExplorer::Rename(const std::string& path, const std::string& from,
                           const std::string& to) {
    const UniqueFd folder = fileops::openFolder(path);
    return folder.valid() && fileops::renameEntry(folder.get(), from, to) == 0;
}

bool LocalExplorer::SetReadOnly(const std::string& path, const std::string& name, bool readOnly) {
    const UniqueFd folder = fileops::openFolder(path);
    return folder.valid() && fileops::setReadOnly(folder.get(), name, readOnly) == 0;
}

void LocalExplorer::CopyMoveItems(const JobQueue& queue, Job& job) {
    FileJobHost host(frontend_, texts_, job, texts_.translate(queue.Move ? "Moving" : "Copying"));
    JobFolders folders;
    const auto mode = queue.Move ? fileops::TransferMode::Move : fileops::TransferMode::Copy;
    for (const MarkDomain& item : queue.Items) {
        if (job.stopRequested())
            break; // the rest keep their marks
        const auto source = folders.open(item.Source, host, fileops::Problem::CopyFailed);
        const auto target = folders.open(item.Target, host, fileops::Problem::CopyFailed);
        if (source && target) {
            fileops::Transfer transfer(mode, host, job.stopToken(), *dataPath_);
            transfer.run(*source, item.Name, *target);
        }
        if (!job.stopRequested() && item.Row >= 0)
            frontend_.unmarkRow(side_, item.Row, item.Name);
    }
}

void LocalExplorer::DeleteItems(const JobQueue& queue, Job& job) {
    FileJobHost host(frontend_, texts_, job, texts_.translate("Deleting"));
    fileops::Removal removal(host, job.stopToken());
    JobFolders folders;
    for (const MarkDomain& item : queue.Items) {
        if (job.stopRequested())
            break;
        const auto folder = folders.open(item.Source, host, fileops::Problem::FileNotDeleted);
        if (!folder)
            continue;
        if (stillAsListed(folder->fd, item))
            removal.run(*folder, item.Name);
        else
            host.failed({item.Folder ? fileops::Problem::FolderNotDeleted
                                     : fileops::Problem::FileNotDeleted,
                         0, joinPath(item.Source, item.Name)});
    }
}

void LocalExplorer::Tree(const std::string& folder) {
    for (const TreeEntry& entry : readTreeEntries(folder)) {
        const std::string path = joinPath(folder, entry.name);
        if (entry.type == S_IFDIR)
            Tree(path);
        else
            frontend_.appendConsole(path);
    }
}
