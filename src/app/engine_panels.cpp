// The local panels' commands the workers serve: reading a folder, opening an entry, going up
// and refreshing the panels that show no FTP session.
#include "app/engine.h"
#include "local/start_folder.h"
#include "platform/message_service.h"
#include "platform/special_folders.h"
#include "workers/commands.h"

#include <filesystem>

void Engine::setStartFolders(const std::string& left, const std::string& right) {
    left_.SetPath(left);
    right_.SetPath(right);
    startFoldersPending_ = true;
}

void Engine::servePanelCommands() {
    remoteWorker_->on<cmd::ReadFolder>([this](const cmd::ReadFolder& command) {
        // A session that took the panel meanwhile keeps it.
        if (session_->FtpPanel == command.panel)
            return;
        const PanelSide side = sideOf(command.panel);
        LocalExplorer& reader = explorer(side);
        reader.ReadDir(command.path, true, command.mask);
        reader.FillGrid();
        if (command.recordVisit)
            frontend_.addToHistory(side, reader.GetPath());
    });
    remoteWorker_->on<cmd::OpenEntry>([this](const cmd::OpenEntry& command) {
        if (stillShown(command.origin))
            explorer(sideOf(command.origin.Panel)).Open(command.path, command.attributes);
    });
    remoteWorker_->on<cmd::RefreshPanels>([this](const cmd::RefreshPanels& command) {
        // A saved folder that is gone or locked gives way to the nearest one above it.
        if (startFoldersPending_.exchange(false))
            for (LocalExplorer* shown : {&left_, &right_})
                shown->SetPath(nearestListableFolder(shown->GetPath()));
        for (const int number : {1, 2}) {
            if (session_->FtpPanel == number || (command.panel != 0 && command.panel != number))
                continue;
            LocalExplorer& shown = explorer(sideOf(number));
            shown.ReadDir(shown.GetPath(), true);
            shown.FillGrid();
        }
    });
    remoteWorker_->on<cmd::GoToSpecialFolder>(
        [this](const cmd::GoToSpecialFolder& command) { showSpecialFolder(command); });
    localWorker_->on<cmd::LocalUp>([this](const cmd::LocalUp& command) {
        if (stillShown(command.origin))
            explorer(sideOf(command.origin.Panel)).GoUp();
    });
}

void Engine::showSpecialFolder(const cmd::GoToSpecialFolder& command) {
    const std::string folder = specialFolderPath(command.folder);
    std::error_code error;
    // Checked before anything changes: a missing folder leaves the panel and the session.
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        frontend_.messages().show({"Tarvo Manager",
                                   texts_.translate("OperationNotAllowed") + "\n\n" + folder,
                                   MessageButton::Ok, MessageIcon::Information});
        return;
    }
    // The session in the panel gives it back; this worker then ends the connection.
    if (session_->FtpPanel == command.panel)
        session_->Disconnect();
    LocalExplorer& reader = explorer(sideOf(command.panel));
    reader.ReadDir(folder, true);
    reader.FillGrid();
}
