// The FTP session's transfers of single files: download into part files with resume, upload,
// and the checks and questions about their targets.
#include "ftp/download_file.h"
#include "ftp/ftp_com.h"

#include "local/status_text.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "platform/posix/unique_fd.h"
#include "settings/language_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <stop_token>
#include <system_error>
#include <vector>

using tarvo::ftp::FtpError;

namespace {

constexpr const char* kTitle = "Tarvo Manager";
constexpr int kYesToAll = 10;
constexpr int kNoToAll = 9;
constexpr int kCancelled = 2;
// A download writes in large blocks: fewer calls, and the disk takes them best. An upload reads
// in smaller ones that stay in the processor's cache between the read and the send; larger
// ones measured slower against a local server.
constexpr std::size_t kBufferSize = 1024 * 1024;
constexpr std::size_t kSendBuffer = 128 * 1024;
// An unfinished download keeps its bytes for a resume only when there are enough of them to
// be worth it; a smaller part file is emptied.
constexpr std::uint64_t kKeepPartAbove = 100000;

void collapseSlashes(std::string& path) {
    for (auto at = path.find("//"); at != std::string::npos; at = path.find("//", at))
        path.erase(at, 1);
}

// A refused REST leaves no 350 among the replies of the call; a refused RETR comes after one.
bool restWasRefused() {
    const std::string& replies = tarvo::ftp::lastResponse();
    return replies.rfind("350", 0) != 0 && replies.find("\n350") == std::string::npos;
}

// Why a transfer broke off: the local file's error; else what ended the connection; else the
// server's last reply (a refusal, or the end of a short transfer).
std::string failureReason(int localError) {
    if (localError != 0)
        return std::generic_category().message(localError);
    const FtpError error = tarvo::ftp::lastError();
    if (error != FtpError::None && error != FtpError::ServerRefused)
        return tarvo::ftp::errorText(error);
    std::string replies = tarvo::ftp::lastResponse();
    while (!replies.empty() && replies.back() == '\n')
        replies.pop_back();
    return replies.substr(replies.find_last_of('\n') + 1);
}

} // namespace

template <class Open> auto FTPCom::opened(Open open) {
    // Until the server has answered the command the strip shows the wait; then the data's
    // progress.
    const ServerWait wait(frontend_);
    return open();
}

void FTPCom::beginBatch(Job* job, std::string action) {
    job_ = job;
    action_ = std::move(action);
    remoteCheckDir_.clear();
    remoteCheckNames_.clear();
    passedOver_.clear();
}

JobProgress& FTPCom::progress() {
    return (job_ != nullptr ? *job_ : ownJob_).progress;
}

bool FTPCom::refusedName(const std::string& name) {
    const bool hostile = name.empty() || name == "." || name == ".." ||
                         name.find('/') != std::string::npos ||
                         name.find('\0') != std::string::npos;
    if (!hostile)
        return false;
    std::string shown = name;
    std::replace(shown.begin(), shown.end(), '\0', '?');
    status(" Refused the name \"" + shown + "\": it is no name of a file");
    box(texts_.translate("OperationNotAllowed") + "\n\n" + shown);
    return true;
}

int FTPCom::AskOverwrite(const std::string& path, std::atomic<int>& answer) {
    if (FtpPanel == 0)
        return -2;
    int result = -1;
    switch (answer.load()) {
    case kYesToAll:
        result = 1;
        break;
    case kNoToAll:
    case kCancelled:
        break;
    default: {
        const TimedLock lock(dialogMutex_, std::chrono::milliseconds(5000));
        if (!lock)
            break; // no answer: the target is left alone
        const MessageButton button = frontend_.messages().show(
            {kTitle, texts_.translate("Overwrite") + "\n\n" + path + "?\n",
             MessageButton::Yes | MessageButton::No | MessageButton::Cancel |
                 MessageButton::NoToAll | MessageButton::YesToAll,
             MessageIcon::None});
        if (button == MessageButton::Yes || button == MessageButton::YesToAll)
            result = 1;
        if (button == MessageButton::YesToAll)
            answer = kYesToAll;
        else if (button == MessageButton::NoToAll)
            answer = kNoToAll;
        else if (button == MessageButton::Cancel)
            answer = kCancelled;
    }
    }
    return FtpPanel == 0 ? -2 : result;
}

int FTPCom::CheckLocalTarget(DownloadFile& file, const std::string& target) {
    if (std::exchange(EditDownload, false))
        return 1;
    if (file.partExists())
        return 2;
    if (!file.finalExists())
        return 0;
    return AskOverwrite(target, DownloadAnswer);
}

int FTPCom::transferWithoutConnection(const std::string& path) {
    status(" Connection lost!");
    frontend_.messages().show({texts_.translate("ConnectionLost"),
                               path + " " + texts_.translate("FileTransferFaild"),
                               MessageButton::Ok, MessageIcon::Information});
    return -2;
}

void FTPCom::unableToOpenLocalFile(const std::string& line, const std::string& path) {
    status(line);
    if (frontend_.messages().show({kTitle, "Unable to open local file\n\n" + path,
                                   MessageButton::Ok | MessageButton::Cancel,
                                   MessageIcon::Information}) == MessageButton::Cancel)
        CancelRunning();
}

void FTPCom::transferFailed(const std::string& path, int localError) {
    if (tarvo::ftp::lastError() == FtpError::Cancelled ||
        (job_ != nullptr && job_->stopRequested()))
        return; // the user stopped it: no box about it
    frontend_.messages().show(
        {kTitle,
         texts_.translate("FileTransferFaild") + "\n\n" + path + "\n" + failureReason(localError),
         MessageButton::Ok, MessageIcon::Information});
}

bool FTPCom::receive(tarvo::ftp::Stream& stream, DownloadFile& file, std::uint64_t offset,
                     std::int64_t size, int& writeError) {
    JobProgress& shown = progress();
    shown.bytesTotal = size;
    shown.bytesDone = static_cast<std::int64_t>(offset);
    const std::stop_callback abort((job_ != nullptr ? *job_ : ownJob_).stopToken(),
                                   [&stream] { stream.abort(); });
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const auto got = stream.read(buffer.data(), buffer.size());
        if (!got)
            return false;
        if (*got == 0)
            return stream.close();
        if (!file.write(buffer.data(), *got)) {
            writeError = errno;
            if (writeError == ENOSPC)
                box(texts_.translate("DiskFull"));
            return false;
        }
        shown.bytesDone += static_cast<std::int64_t>(*got);
        shown.bytesMoved += static_cast<std::int64_t>(*got);
    }
}

int FTPCom::get(const std::string& folder, const std::string& name, std::string remotePath,
                std::int64_t size) {
    collapseSlashes(remotePath);
    if (!session_.connected())
        return transferWithoutConnection(remotePath);
    if (refusedName(name))
        return -1;
    const std::string target = joinPath(folder, name);
    auto file = DownloadFile::inFolder(folder, name);
    int check = file ? CheckLocalTarget(*file, target) : 0;
    if (check == 2 && size == 0 && (size = serverSize(remotePath)) == 0) {
        // Without a size nothing tells the rest of the file from the whole file sent again by
        // a server that ignores the offset: the whole file is downloaded, the part file stays.
        status(" The size of " + remotePath + " is not known: it is downloaded whole");
        check = file->finalExists() ? AskOverwrite(target, DownloadAnswer) : 0;
    }
    if (check < 0)
        return check;
    bool replace = check == 1;
    if (check == 2) {
        // A finished resume takes the name: a file that has it now is asked about first.
        if (file->finalExists()) {
            if (const int answer = AskOverwrite(target, DownloadAnswer); answer < 0)
                return answer;
            replace = true;
        }
        if (frontend_.messages().show({texts_.translate("Resume"),
                                       texts_.translate("ResumeDownload") + " " + target + "?",
                                       MessageButton::Yes | MessageButton::No,
                                       MessageIcon::Question}) == MessageButton::Yes)
            return GetResume(*file, remotePath, size, replace);
    }
    if (!file || !file->createFresh()) {
        unableToOpenLocalFile(" Unable to open local file ", target);
        return -2;
    }
    command("RETR " + remotePath);
    auto stream = opened([&] { return session_.openRead(remotePath); });
    if (!stream) {
        file->discard();
        return HandleError(" ");
    }
    LogResponse();
    const std::string action = action_ + ": " + shortenedName(remotePath);
    progress().setCurrentItem(action);
    frontend_.showCurrentFile(action);
    int writeError = 0;
    const bool clean = receive(*stream, *file, 0, size, writeError);
    const std::uint64_t received = file->size();
    stream.reset();
    if (clean && (size == 0 || received == static_cast<std::uint64_t>(size))) {
        if (!file->finish(replace)) {
            // The name was taken meanwhile: the data stays under the part name.
            status(" File transfer complete; kept as " + file->partName());
            return -1;
        }
        progress().bytesDone = 0;
        frontend_.completeProgress();
        status(" File transfer complete");
        return 1;
    }
    transferFailed(remotePath, writeError);
    console("[" + clock_() + "] Satust:> File transfer failed");
    file->keepUnfinished(kKeepPartAbove);
    return std::min(HandleError(" "), -1);
}

std::int64_t FTPCom::serverSize(const std::string& remotePath) {
    command("SIZE " + remotePath);
    const auto size = session_.fileSize(remotePath);
    LogResponse();
    return size && *size <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
               ? static_cast<std::int64_t>(*size)
               : 0;
}

int FTPCom::GetResume(DownloadFile& file, const std::string& remotePath, std::int64_t size,
                      bool replace) {
    std::uint64_t offset = 0;
    if (!file.openPart(offset))
        return -2;
    command("RETR " + remotePath);
    auto stream = opened([&] { return session_.openRead(remotePath, offset); });
    if (!stream) {
        if (tarvo::ftp::lastError() == FtpError::ServerRefused && restWasRefused()) {
            LogResponse();
            box(texts_.translate("ServerDontSupportResume"));
            return -2;
        }
        return HandleError(" ");
    }
    LogResponse();
    const std::string action = action_ + ": " + shortenedName(remotePath);
    progress().setCurrentItem(action);
    frontend_.showCurrentFile(action);
    int writeError = 0;
    const bool clean = receive(*stream, file, offset, size, writeError);
    const std::uint64_t total = file.size();
    stream.reset();
    const auto expected = static_cast<std::uint64_t>(size);
    if (clean && total == expected) {
        if (!file.finish(replace))
            return -1;
        progress().bytesDone = 0;
        frontend_.completeProgress();
        return 0;
    }
    // A server that took the offset and still sent the whole file: the old part is dropped.
    if (clean && offset > 0 && total == offset + expected)
        return file.finishFrom(offset, replace) ? 0 : -1;
    transferFailed(remotePath, writeError);
    file.keepUnfinishedPart(kKeepPartAbove);
    return std::min(HandleError(" "), -1);
}

int FTPCom::CheckRemoteTarget(const std::string& remotePath) {
    const std::string folder = folderOf(remotePath);
    if (folder != remoteCheckDir_ || remoteCheckDir_.empty()) {
        remoteCheckNames_.clear();
        remoteCheckDir_.clear();
        const auto listed = session_.find(folder);
        if (listed || tarvo::ftp::lastError() == FtpError::NoMoreEntries) {
            remoteCheckDir_ = folder;
            if (listed) {
                for (const tarvo::ftp::RemoteEntry& entry : listed->entries) {
                    if (!entry.directory)
                        remoteCheckNames_.push_back(entry.name);
                }
            }
            std::sort(remoteCheckNames_.begin(), remoteCheckNames_.end());
        }
    }
    if (!std::binary_search(remoteCheckNames_.begin(), remoteCheckNames_.end(), nameOf(remotePath)))
        return 0;
    return AskOverwrite(remotePath, UploadAnswer);
}

int FTPCom::send(std::string remotePath, const std::string& localSource) {
    collapseSlashes(remotePath);
    if (!session_.connected())
        return transferWithoutConnection(localSource);
    if (const int check = CheckRemoteTarget(remotePath); check < 0)
        return check;
    // The source is checked before the server hears of it: a STOR of a file that cannot be
    // read would empty the remote one. Non-blocking, so that a FIFO never holds the worker.
    tarvo::UniqueFd source(::open(localSource.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        unableToOpenLocalFile(" Unable to open local file", localSource);
        return -1;
    }
    command("STOR " + remotePath);
    auto stream = opened([&] { return session_.openWrite(remotePath); });
    if (!stream)
        return HandleError(" ");
    LogResponse();
    const std::string action = action_ + ": " + shortenedName(remotePath);
    JobProgress& shown = progress();
    shown.setCurrentItem(action);
    frontend_.showCurrentFile(action);
    shown.bytesTotal = info.st_size;
    shown.bytesDone = 0;
    std::int64_t sent = 0;
    bool clean = false;
    {
        const std::stop_callback abort((job_ != nullptr ? *job_ : ownJob_).stopToken(),
                                       [&stream] { stream->abort(); });
        std::vector<char> buffer(kSendBuffer);
        for (;;) {
            const ssize_t got = ::read(source.get(), buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                clean = got == 0 && stream->close();
                break;
            }
            if (!stream->write(buffer.data(), static_cast<std::size_t>(got)))
                break;
            sent += got;
            shown.bytesDone += got;
            shown.bytesMoved += got;
        }
    }
    stream.reset();
    if (clean && sent == info.st_size) {
        LogResponse();
        status(" File transfer complete");
        frontend_.completeProgress();
        return 1;
    }
    status(" File transfer faild");
    transferFailed(localSource, 0);
    return std::min(HandleError(" "), -1);
}
