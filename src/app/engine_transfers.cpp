// The transfers the remote worker runs: downloads and uploads of marked rows, and save as.
// Each ends its job quietly should anything throw.
#include "app/engine.h"
#include "app/job_frame.h"
#include "ftp/transfer_batch.h"
#include "platform/posix/path.h"
#include "workers/commands.h"

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
}
