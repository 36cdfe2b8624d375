// The main window's start-up: its files at creation (env.dat for the F4 editor, the language
// file, the settings file), and the first show, which restores the panels as the last run left
// them.
#include "main/command_gate.h"
#include "main/drive_boxes.h"
#include "main/editor_program.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/window_settings.h"
#include "platform/message_service.h"

void TForm1::FormCreate() {
    const bool firstRun = !formCreated_;
    formCreated_ = true;
    std::string editorProblem;
    if (firstRun)
        editorProblem = editor_->load();
    loadActiveLanguage(language_, messages());
    if (firstRun) {
        settings_->readStartSettings();
        reportUnreadableFiles(std::move(editorProblem));
    }
    applyTexts();
    if (firstRun)
        RebuildFavoritesMenu();
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

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    panels_->focusActiveGrid();
    if (!settings_->restoreAtFirstShow())
        return;
    ActivateLeftPanel();
    drives_->ReadDriveLetters();
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).showSortKey(engine_->explorer(side).GetSortKey());
    gate_->report(engine_->remoteCommands().post(cmd::RefreshPanels{}));
}
