#include "local/file_job_host.h"

#include "local/status_text.h"
#include "platform/message_service.h"
#include "settings/language_table.h"

#include <system_error>

namespace fileops = tarvo::fileops;

namespace {

constexpr int kYesToAll = 10;
constexpr int kNoToAll = 9;
// The status line changes at most this often; the window's timer shows the latest name too.
constexpr std::chrono::milliseconds kStatusInterval{40};

const char* messageKey(const fileops::Failure& failure) {
    switch (failure.problem) {
    case fileops::Problem::CopyFailed:
        return failure.diskFull() ? "DiskFull" : "OperationNotAllowed";
    case fileops::Problem::FolderNotMade:
        return "DirectoryNotCreated";
    case fileops::Problem::FileNotDeleted:
        return "CouldNotDeleteFile";
    case fileops::Problem::FolderNotDeleted:
        return "CouldNotDeleteDirectory";
    case fileops::Problem::SameEntry:
    case fileops::Problem::IntoItself:
    case fileops::Problem::Socket:
        break;
    }
    return "OperationNotAllowed";
}

} // namespace

FileJobHost::FileJobHost(Frontend& frontend, const LanguageTable& texts, Job& job,
                         std::string action)
    : frontend_(frontend), texts_(texts), job_(job), action_(std::move(action)) {}

bool FileJobHost::replaceExisting(const std::string& targetPath) {
    const int sticky = job_.OverwriteAnswer;
    if (sticky == kYesToAll)
        return true;
    if (sticky == kNoToAll)
        return false;
    const MessageButton answer = frontend_.messages().show(
        {"Tarvo Manager", texts_.translate("Overwrite") + "\n\n" + targetPath + "?\n",
         MessageButton::Yes | MessageButton::No | MessageButton::Cancel | MessageButton::NoToAll |
             MessageButton::YesToAll,
         MessageIcon::None});
    switch (answer) {
    case MessageButton::Yes:
        return true;
    case MessageButton::YesToAll:
        job_.OverwriteAnswer = kYesToAll;
        return true;
    case MessageButton::NoToAll:
        job_.OverwriteAnswer = kNoToAll;
        return false;
    case MessageButton::Cancel:
        job_.requestStop();
        return false;
    default:
        return false; // No, or no answer at all: the file is left as it is
    }
}

void FileJobHost::started(const std::string& sourcePath, std::int64_t bytes) {
    ++job_.progress.itemsDone;
    job_.progress.bytesDone = 0;
    job_.progress.bytesTotal = bytes;
    std::string text = action_ + ": " + shortenedName(sourcePath);
    job_.progress.setCurrentItem(text);
    const std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::int64_t last = lastShown_;
    if (now - last >= std::chrono::nanoseconds(kStatusInterval).count() &&
        lastShown_.compare_exchange_strong(last, now))
        frontend_.showCurrentFile(std::move(text));
}

void FileJobHost::moved(std::int64_t bytes) {
    job_.progress.bytesDone += bytes;
    job_.progress.bytesMoved += bytes;
}

void FileJobHost::failed(const fileops::Failure& failure) {
    if (job_.stopRequested())
        return;
    if (failure.diskFull())
        job_.requestStop(); // nothing more fits: the rest of the job is not tried
    std::string text = texts_.translate(messageKey(failure)) + "\n\n" + failure.path;
    // "Operation not allowed" alone does not say what went wrong with the copy.
    if (failure.problem == fileops::Problem::CopyFailed && !failure.diskFull() &&
        failure.error != 0)
        text += "\n" + std::generic_category().message(failure.error);
    const MessageButton answer =
        frontend_.messages().show({"Tarvo Manager", text, MessageButton::Ok | MessageButton::Cancel,
                                   MessageIcon::Information});
    if (answer == MessageButton::Cancel)
        job_.requestStop();
}
