#include "app/engine.h"

#include "app/location_entry.h"
#include "platform/program_folder.h"

#include <ctime>

Engine::Engine(Frontend& frontend, const LanguageTable& texts)
    : frontend_(frontend), texts_(texts), left_(frontend, texts, PanelSide::Left),
      right_(frontend, texts, PanelSide::Right), navigation_(programFolder()),
      session_(std::make_unique<FTPCom>(frontend, texts, sites_, left_, right_)) {
    left_.OtherPanel = &right_;
    right_.OtherPanel = &left_;
}

Engine::~Engine() {
    // The workers run handlers that use the session and the explorers: they stop first.
    session_->shutdown();
    if (remoteWorker_)
        remoteWorker_->stop();
    if (localWorker_)
        localWorker_->stop();
}

void Engine::startWorkers(CommandWorker::FailureHandler onFailure) {
    // The time zone is set up here, once: the workers then read local times without setting it
    // up themselves while the screen formats dates.
    ::tzset();
    TMonThreadH::IdleHooks hooks;
    hooks.profile = [this] {
        const SiteRecord site = sites_.currentSite();
        return TMonThreadH::KeepAliveProfile{site.KeepAlive, site.NoopInterval};
    };
    hooks.sessionShown = [this] { return session_->FtpPanel.load() != 0; };
    hooks.sendNoop = [this] { session_->Noop(); };
    hooks.settleSession = [this] { session_->settle(); };
    hooks.editedFilesWatched = [this] { return editedCopies_.watching(); };
    // Every tenth idle cycle of the remote worker: saved edit copies go back to the server.
    hooks.checkEditedFiles = [this] { editedCopies_.check(*session_, frontend_, texts_); };
    remoteWorker_ =
        std::make_unique<TMonThreadH>(remoteCommands_, locks_.control, std::move(hooks));
    localWorker_ = std::make_unique<TMonThreadL>(localCommands_);
    for (Mailbox* mailbox : {&remoteCommands_, &localCommands_})
        mailbox->setSettledHandler([this] { frontend_.commandsSettled(); });
    remoteWorker_->setFailureHandler(onFailure);
    localWorker_->setFailureHandler(std::move(onFailure));
    serveFolderCommands();
    serveTransfers();
    servePanelCommands();
    serveFileJobs();
    serveEntryChanges();
    remoteWorker_->start();
    localWorker_->start();
}

bool Engine::stillShown(const RowOrigin& origin) {
    const bool sessionPanel = session_->FtpPanel == origin.Panel;
    // A local folder is a full path; a panel that showed none yet names none.
    const bool shown = origin.remote() ? sessionPanel && session_->generation() == origin.Session
                                       : !sessionPanel && origin.Folder.starts_with('/');
    if (!shown)
        frontend_.commandRefused(Refusal::SourceGone);
    return shown;
}

OperationTexts Engine::operationTexts() const {
    return {texts_.translate("Deleting"), texts_.translate("Copying"), texts_.translate("Moving"),
            texts_.translate("Copying"), texts_.translate("Copying")};
}

std::string Engine::locationEntry(PanelSide side) const {
    if (sessionShownIn(side))
        return LocationEntry::remote(session_->currentDir(), session_->siteName()).line();
    return (side == PanelSide::Left ? left_ : right_).GetPath();
}

bool Engine::viewIsCurrent(PanelSide side, const PanelView& view) const {
    const bool remotePanel = sessionShownIn(side);
    if (view.Session == 0)
        return !remotePanel;
    return remotePanel && view.Session == session_->generation();
}
