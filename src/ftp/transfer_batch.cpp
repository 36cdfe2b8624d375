#include "ftp/transfer_batch.h"

#include "ftp/ftp_com.h"
#include "local/local_explorer.h"
#include "platform/posix/path.h"

namespace {

constexpr int kQuietFinish = 2;
constexpr std::size_t kRereadBelow = 100;

void reread(LocalExplorer& explorer) {
    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
}

void unmark(const TransferBatch& batch, const MarkDomain& entry) {
    if (entry.Row >= 0)
        batch.screen.unmarkRow(batch.source, entry.Row, entry.Name);
}

bool stopped(const TransferBatch& batch, const std::atomic<int>& answer) {
    return answer == 2 || batch.job.stopRequested();
}

} // namespace

BatchScope::BatchScope(FTPCom& session, Job* job, std::string action)
    : session_(session), action_(action) {
    session_.beginBatch(job, std::move(action));
}

BatchScope::~BatchScope() {
    session_.beginBatch(nullptr, action_);
}

int downloadMarked(const TransferBatch& batch, const JobQueue& queue, LocalExplorer& target) {
    FTPCom& session = batch.session;
    const BatchScope scope(session, &batch.job, batch.action);
    session.DownloadAnswer = 0;
    int result = 0;
    for (const MarkDomain& entry : queue.Items) {
        if (stopped(batch, session.DownloadAnswer)) {
            unmark(batch, entry);
            continue;
        }
        // A link row may lead anywhere on the server, a loop among it: it is never fetched.
        if (entry.Link)
            continue;
        const std::string remote = joinPath(entry.Source, entry.Name);
        if (!entry.Folder) {
            result = session.get(entry.Target, entry.Name, remote, entry.Size);
            if (result < -1)
                break;
            // The new file shows at once, unless reading the folder costs too much per file.
            if (const auto shown = target.GetListing();
                !shown || shown->Dirs.size() + shown->Files.size() < kRereadBelow)
                reread(target);
        } else if (session.refusedName(entry.Name)) {
            result = -1;
        } else if (const std::string local = joinPath(entry.Target, entry.Name);
                   session.makeLocalFolder(local)) {
            // Its failures were told; a lost connection or a cancel below stops the batch.
            if (session.GetDir(remote, local) < -1) {
                result = -2;
                break;
            }
        }
        unmark(batch, entry);
    }
    reread(target);
    return result > -1 ? session.DownloadAnswer.load() : kQuietFinish;
}

int uploadMarked(const TransferBatch& batch, const JobQueue& queue) {
    FTPCom& session = batch.session;
    const BatchScope scope(session, &batch.job, batch.action);
    session.UploadAnswer = 0;
    int result = 0;
    for (const MarkDomain& entry : queue.Items) {
        if (stopped(batch, session.UploadAnswer)) {
            unmark(batch, entry);
            continue;
        }
        const std::string local = joinPath(entry.Source, entry.Name);
        const std::string remote = joinPath(entry.Target, entry.Name);
        if (entry.Folder && entry.Link) {
            session.passOver(local); // a link to a folder is never followed
        } else if (entry.Folder) {
            session.makeRemoteFolder(remote);
            result = session.SendDir(local, remote);
        } else {
            result = session.send(remote, local);
        }
        if (result < -1)
            break;
        unmark(batch, entry);
    }
    // What was sent before a cancel is on the server: the panel shows it.
    if ((result > -2 || session.UploadAnswer == 2) && session.FtpPanel != 0 && session.List() > -2)
        session.FillGrid("*.*");
    if (!stopped(batch, session.UploadAnswer))
        session.reportPassedOver();
    return result > -1 ? session.UploadAnswer.load() : kQuietFinish;
}
