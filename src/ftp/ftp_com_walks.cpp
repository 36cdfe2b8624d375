// The FTP session's walks of folder trees: download of a remote tree, upload of a local one,
// and the remote tree listing. No walk follows a link into a folder: a link may lead above the
// folder walked, or into a loop; and no walk of the server's tree goes on without end.
#include "ftp/ftp_com.h"

#include "ftp/remote_walk_bound.h"

#include "local/tree_entries.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "settings/language_table.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace {

void dropTrailingSeparator(std::string& path) {
    if (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
}

bool linksToRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool FTPCom::batchStopped(const std::atomic<int>& answer) const {
    return answer == 2 || (job_ != nullptr && job_->stopRequested());
}

std::string FTPCom::serverIdentity() const {
    if (FtpPanel == 0 || !session_.connected())
        return "";
    return lastFields_.User + "@" + lastFields_.Host + ":" + lastFields_.Port;
}

bool FTPCom::makeLocalFolder(const std::string& path) {
    struct stat info {};
    if (::mkdir(path.c_str(), 0777) == 0 ||
        (errno == EEXIST && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        return true;
    box(texts_.translate("DirectoryNotCreated") + "\n\n" + path);
    return false;
}

void FTPCom::makeRemoteFolder(const std::string& path) {
    command("MKD " + path);
    session_.makeDir(path); // refused when it exists: the files sent into it tell the rest
    LogResponse();
}

bool FTPCom::toldEndlessTree(const RemoteWalkBound& bound) {
    if (!bound.stopped())
        return false;
    status(" Folder tree without end, stopped at: " + bound.stoppedAt());
    box("The server's folder tree goes on without end; stopped at\n\n" + bound.stoppedAt());
    return true;
}

int FTPCom::GetDir(std::string remotePath, const std::string& localFolder) {
    RemoteWalkBound bound;
    const int result = getTree(std::move(remotePath), localFolder, bound, 0);
    return toldEndlessTree(bound) ? -2 : result;
}

int FTPCom::getTree(std::string remotePath, const std::string& localFolder, RemoteWalkBound& bound,
                    int depth) {
    dropTrailingSeparator(remotePath);
    if (!session_.connected() || !bound.enter(remotePath, depth))
        return -2;
    const auto listed = session_.find(remotePath);
    if (!listed)
        return 0;
    int result = 0;
    for (const tarvo::ftp::RemoteEntry& entry : listed->entries) {
        if (batchStopped(DownloadAnswer) || result < -1)
            return -2;
        if (entry.name == "." || entry.name == "..")
            continue;
        if (refusedName(entry.name)) {
            result = -1;
            continue;
        }
        const std::string remote = joinPath(remotePath, entry.name);
        if (entry.link) {
            // The panel shows a link whose name has a dot as a file: fetched as one. Any other
            // may lead to a folder, perhaps one above this: passed over.
            if (entry.name.find('.') != std::string::npos)
                result = get(localFolder, entry.name, remote, 0);
            else
                status(" Link passed over: " + remote);
            continue;
        }
        if (!entry.directory) {
            result = get(localFolder, entry.name, remote, static_cast<std::int64_t>(entry.size));
            continue;
        }
        const std::string local = joinPath(localFolder, entry.name);
        if (!makeLocalFolder(local)) {
            result = -1;
            continue;
        }
        console("--> " + remote);
        if (!batchStopped(DownloadAnswer))
            result = getTree(remote, local, bound, depth + 1);
    }
    return result;
}

int FTPCom::SendDir(std::string localFolder, const std::string& remotePath) {
    dropTrailingSeparator(localFolder);
    int result = 0;
    for (const TreeEntry& entry : readTreeEntries(localFolder)) {
        if (batchStopped(UploadAnswer) || result < -1)
            return -2;
        const std::string local = joinPath(localFolder, entry.name);
        const std::string remote = joinPath(remotePath, entry.name);
        if (entry.type == S_IFDIR) {
            makeRemoteFolder(remote);
            if (!batchStopped(UploadAnswer))
                result = SendDir(local, remote);
        } else if (entry.type == S_IFREG || (entry.type == S_IFLNK && linksToRegularFile(local))) {
            result = send(remote, local);
        } else {
            passOver(local); // a link to a folder, a FIFO, a socket, a device
        }
    }
    return result;
}

void FTPCom::passOver(const std::string& localPath) {
    status(" Passed over (no regular file): " + localPath);
    passedOver_.push_back(localPath);
}

void FTPCom::reportPassedOver() {
    if (passedOver_.empty())
        return;
    std::string text = texts_.translate("OperationNotAllowed") + "\n";
    for (const std::string& path : std::exchange(passedOver_, {}))
        text += "\n" + path;
    box(text);
}

void FTPCom::Tree(std::string path) {
    RemoteWalkBound bound;
    listTree(std::move(path), bound, 0);
    toldEndlessTree(bound);
}

void FTPCom::listTree(std::string path, RemoteWalkBound& bound, int depth) {
    dropTrailingSeparator(path);
    if (!session_.connected() || !bound.enter(path, depth))
        return;
    const auto listed = session_.find(path);
    if (!listed)
        return;
    for (const tarvo::ftp::RemoteEntry& entry : listed->entries) {
        if (bound.stopped())
            return;
        if (entry.name == "." || entry.name == ".." || entry.name.find('/') != std::string::npos)
            continue;
        const std::string inner = joinPath(path, entry.name);
        if (entry.directory && !entry.link)
            listTree(inner, bound, depth + 1);
        else if (!entry.directory)
            console(inner);
    }
}
