// The changes of single local entries the local worker makes: a new folder, a rename and the
// read-only attribute of marked entries. A dead mount then holds the worker, never the window.
#include "app/engine.h"
#include "workers/commands.h"

void Engine::serveEntryChanges() {
    localWorker_->on<cmd::LocalMkDir>([this](const cmd::LocalMkDir& command) {
        if (!stillShown(command.origin))
            return;
        const std::string& folder = command.origin.Folder;
        LocalExplorer& panel = explorer(sideOf(command.origin.Panel));
        panel.MkDir(folder, command.name);
        // A panel gone elsewhere meanwhile would take the cursor target to another folder.
        if (panel.GetPath() == folder)
            panel.SetCursorTarget(command.name);
        frontend_.localFoldersChanged();
    });
    localWorker_->on<cmd::LocalRename>([this](const cmd::LocalRename& command) {
        if (!stillShown(command.origin))
            return;
        explorer(sideOf(command.origin.Panel))
            .Rename(command.origin.Folder, command.name, command.newName);
        frontend_.localFoldersChanged();
    });
    localWorker_->on<cmd::LocalAttributes>([this](const cmd::LocalAttributes& command) {
        if (!stillShown(command.origin))
            return;
        LocalExplorer& panel = explorer(sideOf(command.origin.Panel));
        for (const MarkDomain& item : command.entries->Items)
            panel.SetReadOnly(item.Source, item.Name, command.readOnly);
        frontend_.localFoldersChanged();
    });
}
