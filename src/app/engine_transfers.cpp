// The transfers the remote worker runs: downloads and uploads of marked rows, save as, and the
// download of a remote file for the editor. Each ends its job quietly should anything throw.
#include "app/engine.h"
#include "app/job_frame.h"
#include "ftp/transfer_batch.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "workers/commands.h"

#include <unistd.h>

void Engine::serveTransfers() {
    remoteWorker_->on<cmd::Download>([this](const cmd::Download& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin) || !stillShown(command.target))
            return;
        const TransferBatch batch{*session_, frontend_, *work.job, sideOf(command.origin.Panel),
                                  operationTexts().DownloadingText};
        frontend_.jobEnded(
            work.job, downloadMarked(batch, *work.queue, explorer(sideOf(command.target.Panel))));
    });
    remoteWorker_->on<cmd::Upload>([this](const cmd::Upload& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin) || !stillShown(command.target))
            return;
        const TransferBatch batch{*session_, frontend_, *work.job, sideOf(command.origin.Panel),
                                  operationTexts().UploadingText};
        frontend_.jobEnded(work.job, uploadMarked(batch, *work.queue));
    });
    remoteWorker_->on<cmd::SaveAs>([this](const cmd::SaveAs& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin))
            return;
        const MarkDomain& entry = work.queue->Items.front();
        int result = 0;
        {
            const BatchScope scope(*session_, work.job.get(), operationTexts().DownloadingText);
            session_->DownloadAnswer = 0;
            result = session_->get(entry.Target, command.newName,
                                   joinPath(entry.Source, entry.Name), entry.Size);
        }
        frontend_.jobEnded(work.job, result > -1 ? 1 : JobFrame::kQuietFinish);
    });
    remoteWorker_->on<cmd::EditRemote>(
        [this](const cmd::EditRemote& command) { editRemoteFile(command); });
}

void Engine::editRemoteFile(const cmd::EditRemote& command) {
    const JobWork& work = command.work;
    const JobFrame frame(frontend_, work.job);
    if (!stillShown(command.origin))
        return;
    FTPCom& session = *session_;
    const MarkDomain& entry = work.queue->Items.front();
    const auto copy =
        editedCopies_.createCopy(joinPath(programFolder(), "TempFiles"), command.site, entry.Name);
    if (!copy) {
        frontend_.messages().show({"Tarvo Manager", "Unable to open local file", MessageButton::Ok,
                                   MessageIcon::Information});
        return;
    }
    const std::string remote = joinPath(entry.Source, entry.Name);
    int result = 0;
    {
        const BatchScope scope(session, work.job.get(), operationTexts().DownloadingText);
        session.DownloadAnswer = 0;
        session.EditDownload = true;
        result = session.get(folderOf(*copy), nameOf(*copy), remote, entry.Size);
        session.EditDownload = false;
    }
    const auto stamp = stampOf(*copy);
    if (result == 1 && session.DownloadAnswer != 2 && session.FtpPanel > 0 && stamp) {
        // Stamped before the editor starts: a quick first save is still a change.
        editedCopies_.add({true, remote, *copy, session.serverIdentity(), *stamp, *stamp});
        frontend_.openInEditor(*copy);
        frontend_.jobEnded(work.job, session.DownloadAnswer);
    } else {
        // No editor for a copy that is not the remote file: it goes, with what a failed
        // download left of it.
        ::unlink(copy->c_str());
        ::unlink((*copy + ".part").c_str());
    }
}
