// The main window's start-up from its files: env.dat (the F4 editor), the language file and the
// settings file, and the editor commands of the Options menu.
#include "main/main_window.h"
#include "settings/editor_setting.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QFileDialog>

void TForm1::FormCreate() {
    const bool firstRun = !formCreated_;
    formCreated_ = true;
    std::string editorProblem;
    if (firstRun)
        editorProblem = loadEditorSetting();
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
    setIconMode(saved.StandardIcons);
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

void TForm1::connectSettingsCommands() {
    makeExclusive({"Notepad1", "N9"});
    connectAction("N9", [this] { N9Click(); });
    connectAction("Notepad1", [this] { Notepad1Click(); });
}

std::string TForm1::loadEditorSetting() {
    EditorChoice choice = readEditorSetting(editorSettingPath());
    showEditorChoice(choice.EditorPath);
    return std::move(choice.Problem);
}

void TForm1::showEditorChoice(const std::string& program) {
    EditorPath = program;
    const bool custom = EditorChoice{program, {}}.custom();
    auto* chosen = findChild<QAction*>("N9");
    chosen->setText(custom ? QString::fromStdString(program) : QStringLiteral("..."));
    (custom ? chosen : findChild<QAction*>("Notepad1"))->setChecked(true);
}

void TForm1::N9Click() {
    QFileDialog dialog(this, QString::fromStdString(Translate("EditorForF4")));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        showEditorChoice(EditorPath); // the menu's own toggle of the check mark is undone
        return;
    }
    const std::string program = dialog.selectedFiles().front().toStdString();
    // The choice holds for this run only when env.dat keeps it for the next.
    const bool saved = writeEditorSetting(editorSettingPath(), program).empty();
    showEditorChoice(saved ? program : kDefaultEditor);
}

void TForm1::Notepad1Click() {
    writeEditorSetting(editorSettingPath(), {});
    showEditorChoice(kDefaultEditor);
}
