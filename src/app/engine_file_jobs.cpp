// The file jobs the workers run: local copies, moves and drops, and deletes in a local panel or
// on the server. Each ends its job quietly should anything throw.
#include "app/engine.h"
#include "app/job_frame.h"
#include "local/listing/search_record.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "workers/commands.h"

namespace {

void reread(LocalExplorer& explorer) {
    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
}

} // namespace

namespace listing = tarvo::listing;

void Engine::serveFileJobs() {
    localWorker_->on<cmd::LocalCopy>([this](const cmd::LocalCopy& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin) || !stillShown(command.target))
            return;
        LocalExplorer& target = explorer(sideOf(command.target.Panel));
        LocalExplorer& source = *target.OtherPanel;
        source.CopyMoveItems(*work.queue, *work.job);
        reread(target);
        if (work.queue->Move)
            reread(source);
    });
    localWorker_->on<cmd::LocalDrop>([this](const cmd::LocalDrop& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.target))
            return;
        LocalExplorer& target = explorer(sideOf(command.target.Panel));
        target.CopyMoveItems(*work.queue, *work.job);
        reread(target);
    });
    remoteWorker_->on<cmd::Delete>([this](const cmd::Delete& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin))
            return;
        if (command.origin.remote()) {
            deleteRemoteEntries(command);
            return;
        }
        LocalExplorer& panel = explorer(sideOf(command.origin.Panel));
        panel.DeleteItems(*work.queue, *work.job);
        reread(panel);
        // The other panel is read again when the deleting panel's folder lies within it.
        LocalExplorer& other = *panel.OtherPanel;
        if (session_->FtpPanel == 0 && isWithin(panel.GetPath(), other.GetPath()))
            reread(other);
    });
}

void Engine::deleteRemoteEntries(const cmd::Delete& command) {
    const JobWork& work = command.work;
    FTPCom& session = *session_;
    const std::string deleting = operationTexts().DeletingText + ": ";
    session.DeleteAnswer = 0;
    for (const MarkDomain& entry : work.queue->Items) {
        if (session.DeleteAnswer == 2 || work.job->stopRequested())
            break;
        const std::string path = joinPath(entry.Source, entry.Name);
        work.job->progress.setCurrentItem(deleting + entry.Name);
        frontend_.showCurrentFile(deleting + entry.Name);
        // A link row is removed as the link itself, never entered.
        if (entry.Folder && !entry.Link) {
            session.DeleteDir(path);
            if (session.DeleteAnswer != 2)
                session.Delete(path, listing::Directory);
        } else {
            session.Delete(path, 0x80);
        }
    }
    // Whatever was deleted before a failure is gone: the panel shows the folder as it is now.
    if (session.FtpPanel == command.origin.Panel && session.List() > -2)
        session.FillGrid("*.*");
}
