// The main window's start-up from its files: env.dat (the F4 editor), the language file and the
// settings file, and the editor commands of the Options menu.
#include "app/engine.h"
#include "main/command_gate.h"
#include "main/editor_program.h"
#include "main/main_window.h"
#include "main/panel_commands.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/message_service.h"
#include "settings/editor_setting.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QFileDialog>

void TForm1::FormCreate() {
    const bool firstRun = !formCreated_;
    formCreated_ = true;
    std::string editorProblem;
    if (firstRun)
        editorProblem = editor_->load();
    loadActiveLanguage(language_, messages());
    if (firstRun) {
        readStartSettings();
        reportUnreadableFiles(std::move(editorProblem));
    }
    applyTexts();
    if (firstRun)
        RebuildFavoritesMenu();
}

void TForm1::readStartSettings() {
    const std::string path = settingsFilePath();
    OpenedSettings opened = openSettingsFile(path);
    SettingsDoc = opened.document;
    if (opened.problem)
        messages().show(
            {"Tarvo Manager", *opened.problem, MessageButton::Ok, MessageIcon::Warning});
    const RunSettings saved = readRunSettings(*SettingsDoc);
    engine_->leftExplorer().SetSortKey(saved.SortTypeLeft);
    engine_->rightExplorer().SetSortKey(saved.SortTypeRight);
    panelCommands_->setIconMode(saved.StandardIcons);
}

// env.dat, the favourites and the histories: one box for those that exist and cannot be read.
void TForm1::reportUnreadableFiles(std::string editorProblem) {
    std::vector<std::string> problems = engine_->navigation().problems();
    if (!editorProblem.empty())
        problems.insert(problems.begin(), std::move(editorProblem));
    if (problems.empty())
        return;
    std::string text;
    for (const std::string& problem : problems)
        text += (text.empty() ? "" : "\n\n") + problem;
    messages().show({"Tarvo Manager", text, MessageButton::Ok, MessageIcon::Warning});
}
