#include "main/window_settings.h"

#include "app/engine.h"
#include "local/start_folder.h"
#include "main/panel_commands.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/message_service.h"
#include "settings/settings_file.h"

#include <QDir>

#include <iostream>

void WindowSettings::readStartSettings() {
    const std::string path = settingsFilePath();
    OpenedSettings opened = openSettingsFile(path);
    SettingsDoc = opened.document;
    if (opened.problem)
        context_.messages.show(
            {"Tarvo Manager", *opened.problem, MessageButton::Ok, MessageIcon::Warning});
    const RunSettings saved = readRunSettings(*SettingsDoc);
    context_.engine.leftExplorer().SetSortKey(saved.SortTypeLeft);
    context_.engine.rightExplorer().SetSortKey(saved.SortTypeRight);
    panelCommands_.setIconMode(saved.StandardIcons);
}

bool WindowSettings::restoreAtFirstShow() {
    if (!FirstShowPending)
        return false;
    FirstShowPending = false;
    const RunSettings saved = SettingsDoc ? readRunSettings(*SettingsDoc) : RunSettings{};
    const std::string home = QDir::homePath().toStdString();
    context_.engine.setStartFolders(startFolderOf(saved.LeftTabDir, home),
                                    startFolderOf(saved.RightTabDir, home));
    if (saved.LeftBriefView)
        context_.panels.panel(PanelSide::Left).setBriefView(true);
    if (saved.RightBriefView)
        context_.panels.panel(PanelSide::Right).setBriefView(true);
    return true;
}

void WindowSettings::saveSettings() {
    if (!SettingsDoc)
        return; // the window closes before it was ever set up
    const Engine& engine = context_.engine;
    RunSettings run;
    run.SortTypeLeft = engine.leftExplorer().GetSortKey();
    run.SortTypeRight = engine.rightExplorer().GetSortKey();
    run.StandardIcons = context_.panels.standardIcons();
    run.LeftTabDir = engine.leftExplorer().GetPath();
    run.RightTabDir = engine.rightExplorer().GetPath();
    run.LeftBriefView = context_.panels.panel(PanelSide::Left).briefView();
    run.RightBriefView = context_.panels.panel(PanelSide::Right).briefView();
    if (FirstShowPending) {
        // Never shown: the panels never opened the saved folders, which stay as they were.
        const RunSettings saved = readRunSettings(*SettingsDoc);
        run.LeftTabDir = saved.LeftTabDir;
        run.RightTabDir = saved.RightTabDir;
        run.LeftBriefView = saved.LeftBriefView;
        run.RightBriefView = saved.RightBriefView;
    }
    const std::string path = settingsFilePath();
    if (const std::string failure = saveRunSettings(*SettingsDoc, run, path); !failure.empty()) {
        std::cerr << "Tarvo Manager: could not save " << path << ": " << failure << '\n';
        context_.messages.show({"Tarvo Manager", "Could not save configuration", MessageButton::Ok,
                                MessageIcon::None});
    }
}
