// The commands the engine serves on its own: the FTP session's folder commands, permissions and
// the command window's raw commands, and the tree listings. They run on the workers and reach the
// screen only through the Frontend.
#include "app/engine.h"
#include "app/job_frame.h"
#include "ftp/permission_mode.h"
#include "local/listing/search_record.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "platform/timed_mutex.h"
#include "workers/commands.h"

#include <chrono>
#include <optional>

namespace listing = tarvo::listing;

namespace {

constexpr const char* kTitle = "Tarvo Manager";
// How long a raw command waits for the keep-alive to let go of the control connection.
constexpr std::chrono::milliseconds kControlWait{200};

} // namespace

void Engine::serveFolderCommands() {
    FTPCom& session = *session_;
    const auto relist = [&session] {
        if (session.List() > -2)
            session.FillGrid("*.*");
    };
    // Changing folder: a negative result means the connection was not there.
    const auto enter = [this, &session](const std::string& path, int attributes,
                                        std::uint64_t size) {
        const std::uint64_t generation = session.generation();
        if (session.ChangeDir(path, attributes, size) < 0 && session.generation() == generation)
            frontend_.messages().show({kTitle, texts_.translate("ConnectionLost"),
                                       MessageButton::Ok, MessageIcon::Information});
    };
    remoteWorker_->on<cmd::Connect>([&session, relist](const cmd::Connect& command) {
        if (session.Connect(command.fields, command.panel) > -2)
            relist();
    });
    remoteWorker_->on<cmd::ChangeDir>([this, enter](const cmd::ChangeDir& command) {
        if (!stillShown(command.origin))
            return;
        frontend_.setPanelsEnabled(false);
        enter(command.path, command.attributes, command.size);
        frontend_.setPanelsEnabled(true);
    });
    remoteWorker_->on<cmd::RemoteUp>([this, enter](const cmd::RemoteUp& command) {
        if (stillShown(command.origin))
            enter("..", listing::Directory, 0);
    });
    remoteWorker_->on<cmd::RemoteRoot>([this, enter](const cmd::RemoteRoot& command) {
        if (stillShown(command.origin))
            enter("/", listing::Directory, 0);
    });
    remoteWorker_->on<cmd::RefreshRemote>([this, relist](const cmd::RefreshRemote& command) {
        if (stillShown(command.origin))
            relist();
    });
    remoteWorker_->on<cmd::Rename>([this, &session, relist](const cmd::Rename& command) {
        if (stillShown(command.origin) &&
            session.Rename(command.origin.Folder, command.name, command.newName) == 1)
            relist();
    });
    remoteWorker_->on<cmd::RemoteMkDir>([this, &session](const cmd::RemoteMkDir& command) {
        if (!stillShown(command.origin))
            return;
        const std::string path = joinPath(command.origin.Folder, command.name);
        if (!session.MkDir(command.origin.Folder, command.name)) {
            frontend_.messages().show({kTitle,
                                       texts_.translate("DirectoryNotCreated") + " " + command.name,
                                       MessageButton::Ok, MessageIcon::Information});
            session.HandleError(" ");
            return;
        }
        session.List();
        // The fill puts the cursor on the new folder, when it shows the folder it was made in.
        if (session.currentDir() == command.origin.Folder)
            session.setLastFilledDir(path);
        session.FillGrid("*.*");
    });
    remoteWorker_->on<cmd::RawCommand>([this, &session](const cmd::RawCommand& command) {
        const TimedLock lock(locks_.control, kControlWait);
        if (!lock)
            return; // the keep-alive holds the connection
        const ServerWait wait(frontend_);
        session.ExecuteCommand(command.command, command.log);
    });
    remoteWorker_->on<cmd::OpenRemoteFolder>(
        [this, &session](const cmd::OpenRemoteFolder& command) {
            // A session that ended meanwhile has no folder to open.
            if (!stillShown(command.origin))
                return;
            frontend_.setPanelsEnabled(false);
            session.OpenFolder(command.path, command.recordVisit);
            frontend_.setPanelsEnabled(true);
        });
    remoteWorker_->on<cmd::Chmod>([this, &session](const cmd::Chmod& command) {
        const JobWork& work = command.work;
        const JobFrame frame(frontend_, work.job);
        if (!stillShown(command.origin))
            return;
        const PanelSide side = sideOf(command.origin.Panel);
        session.ChmodAnswer = 0;
        std::optional<ServerWait> wait(std::in_place, frontend_);
        for (const MarkDomain& entry : work.queue->Items) {
            if (session.ChmodAnswer == 2 || work.job->stopRequested())
                break;
            work.job->progress.setCurrentItem(entry.Name);
            // Each entry keeps its own set-id and sticky bits.
            const unsigned mode = changedMode(command.mode, static_cast<unsigned>(entry.Mode));
            if (!session.Chmod(joinPath(entry.Source, entry.Name), modeNumber(mode)))
                break;
            frontend_.unmarkRow(side, entry.Row, entry.Name);
        }
        wait.reset(); // the relist below waits on its own
        if (session.FtpPanel == command.origin.Panel && session.List() > -2)
            session.FillGrid("*.*");
    });
    // The tree commands write paths into the console.
    remoteWorker_->on<cmd::RemoteTree>([&session](const cmd::RemoteTree&) { session.Tree("/"); });
    localWorker_->on<cmd::LocalTree>([this](const cmd::LocalTree& command) {
        LocalExplorer& other = explorer(otherSide(sideOf(command.panel)));
        other.Tree(other.GetPath());
    });
}
