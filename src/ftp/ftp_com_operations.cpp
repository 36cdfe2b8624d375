// The FTP session's operations on the server's folders: change folder, make, delete, rename,
// permissions, keep-alive and commands the user types.
#include "ftp/ftp_com.h"

#include <algorithm>

#include "ftp/raw_command.h"
#include "ftp/remote_walk_bound.h"

#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "settings/language_table.h"

namespace listing = tarvo::listing;

namespace {

constexpr const char* kTitle = "Tarvo Manager";

bool holdsName(const std::vector<listing::SearchRecord>& records, const std::string& name) {
    for (const listing::SearchRecord& record : records) {
        if (record.Name == name)
            return true;
    }
    return false;
}

} // namespace

int FTPCom::ChangeDir(const std::string& path, int attributes, std::uint64_t size) {
    if ((attributes & listing::Directory) == 0) {
        // A link taken as a file is listed with size 0: it may lead to a folder.
        if (size == 0 && session_.changeDir(path))
            showServerFolder();
        return 32;
    }
    if (!session_.connected()) {
        console("[" + clock_() + "] Status:>  Unable to connect to server!");
        connectionGone();
        return -1;
    }
    ServerWait wait(frontend_);
    // Whether the change worked or not, the server's folder is shown.
    session_.changeDir(path == ".." ? std::string("../") : path);
    wait.end();
    showServerFolder();
    recordFolder();
    return 16;
}

int FTPCom::OpenFolder(const std::string& folder, bool recordVisit) {
    ServerWait wait(frontend_);
    const bool entered = session_.changeDir(folder);
    wait.end();
    if (!entered)
        return HandleError(" ");
    showServerFolder();
    if (recordVisit)
        recordFolder();
    return 16;
}

void FTPCom::recordFolder() {
    if (const int panel = FtpPanel; panel != 0)
        frontend_.addToHistory(sideOf(panel), currentDir() + "@" + lastFields_.SiteName);
}

void FTPCom::readServerFolder() {
    if (const auto folder = session_.currentDir()) {
        std::lock_guard lock(mutex_);
        currentDir_ = *folder;
    }
    LogResponse();
}

void FTPCom::showServerFolder() {
    readServerFolder();
    if (List() > -2)
        FillGrid("*.*");
}

bool FTPCom::MkDir(const std::string& folder, std::string name) {
    try {
        if (!name.empty() && name.front() == '/')
            name.erase(0, 1);
        // The listing tells of the folder the session shows, which may be another one by now.
        if (folder == currentDir() && holdsName(fullListing()->Dirs, name))
            return true;
        const std::string path = joinPath(folder, name);
        if (!session_.makeDir(path)) {
            LogResponse();
            return false;
        }
        command("MKD " + path);
        LogResponse();
        return true;
    } catch (const std::exception&) {
        frontend_.messages().show({kTitle, "App error in FTPCom::MkDir", MessageButton::Ok});
        return false;
    }
}

int FTPCom::Delete(const std::string& path, int attributes) {
    try {
        const bool folder = (attributes & listing::Directory) != 0;
        command((folder ? "RMD " : "DELE ") + path);
        if (folder ? session_.removeDir(path) : session_.deleteFile(path)) {
            LogResponse();
            return 1;
        }
        // A cancelled call was the user's wish: no box about it.
        if (tarvo::ftp::lastError() != tarvo::ftp::FtpError::Cancelled &&
            frontend_.messages().show(
                {kTitle,
                 texts_.translate(folder ? "CouldNotDeleteDirectory" : "CouldNotDeleteFile") +
                     "\n\n" + path,
                 MessageButton::Ok | MessageButton::Cancel, MessageIcon::Information}) ==
                MessageButton::Cancel)
            CancelRunning();
        return HandleError(" ");
    } catch (const std::exception&) {
        frontend_.messages().show({kTitle, "App error in FTPCom::Delete", MessageButton::Ok});
        return -2;
    }
}

std::string FTPCom::DeleteDir(std::string path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    RemoteWalkBound bound;
    deleteTree(path, bound, 0);
    toldEndlessTree(bound);
    return path;
}

void FTPCom::deleteTree(std::string path, RemoteWalkBound& bound, int depth) {
    if (!bound.enter(path, depth)) {
        DeleteAnswer = 2; // nothing above can be emptied: the deletes end here
        return;
    }
    const auto listed = session_.find(path);
    if (!listed)
        return;
    for (const tarvo::ftp::RemoteEntry& entry : listed->entries) {
        if (DeleteAnswer == 2)
            break;
        // A name that holds a "/" could name an entry of another folder.
        if (refusedName(entry.name))
            continue;
        const std::string inner = joinPath(path, entry.name);
        // A link is removed as a link: entering it would empty its target, which may lie
        // anywhere on the server.
        if (entry.directory && !entry.link) {
            deleteTree(inner, bound, depth + 1);
            if (DeleteAnswer != 2)
                Delete(inner, listing::Directory);
        } else {
            Delete(inner, 0x80);
        }
    }
}

bool FTPCom::holdsEntry(const std::string& folder, const std::string& name) {
    if (folder == currentDir()) {
        const auto listed = fullListing();
        return holdsName(listed->Dirs, name) || holdsName(listed->Files, name);
    }
    // Another folder than the one shown is asked of the server; one that cannot be listed
    // holds the name as far as a rename knows.
    const auto listed = session_.find(folder);
    LogResponse();
    if (!listed)
        return true;
    return std::any_of(
        listed->entries.begin(), listed->entries.end(),
        [&name](const tarvo::ftp::RemoteEntry& entry) { return entry.name == name; });
}

int FTPCom::Rename(const std::string& folder, const std::string& from, const std::string& to) {
    // Most servers let RNTO replace an existing entry: a rename must never lose one. A name
    // with a "/" could reach an entry of another folder.
    if (to.empty() || to == "." || to == ".." || to.find('/') != std::string::npos ||
        holdsEntry(folder, to)) {
        box(texts_.translate("CouldNotRenameFile"));
        return -1;
    }
    if (session_.rename(joinPath(folder, from), joinPath(folder, to)))
        return 1;
    box(texts_.translate("CouldNotRenameFile"));
    return HandleError(" ");
}

void FTPCom::Noop() {
    if (!session_.command("NOOP"))
        HandleError("NOOP ");
}

bool FTPCom::Chmod(const std::string& path, int mode) {
    try {
        const std::string line = "SITE chmod " + std::to_string(mode) + " " + path;
        command(line);
        if (!session_.connected()) {
            connectionGone();
            return false;
        }
        const bool done = session_.command(line);
        LogResponse();
        if (done)
            return true;
        const tarvo::ftp::FtpError error = tarvo::ftp::lastError();
        // A name the protocol cannot carry is refused like the server would refuse it.
        if (error != tarvo::ftp::FtpError::ServerRefused &&
            error != tarvo::ftp::FtpError::InvalidArgument)
            return false; // cancelled, or the connection went: the relisting tells
        if (frontend_.messages().show(
                {kTitle, texts_.translate("OperationNotAllowed") + "\n\n" + line,
                 MessageButton::Ok | MessageButton::Cancel, MessageIcon::Information}) ==
            MessageButton::Cancel)
            CancelRunning();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void FTPCom::ExecuteCommand(const std::string& line, const LogSink& log) {
    if (FtpPanel < 1) {
        log("[" + clock_() + "] Command:> " + line);
        log("[" + clock_() + "] Status:>  Connect call failed. ");
        return;
    }
    // The command runs in the folder the panel shows, whatever an earlier one left.
    if (const std::string folder = currentDir(); !folder.empty())
        session_.changeDir(folder);
    runRawCommand(session_, line, clock_, log);
    if (rawCommandChangesFolder(line))
        showServerFolder();
}
