#include "main/editor_program.h"

#include "platform/desktop_tools.h"
#include "settings/editor_setting.h"

#include <QAction>
#include <QFileDialog>

EditorProgram::EditorProgram(const WindowContext& context, DesktopTools& tools)
    : context_(context), tools_(tools) {
    context_.makeExclusive({"Notepad1", "N9"});
    context_.connectAction(this, "N9", [this] { N9Click(); });
    context_.connectAction(this, "Notepad1", [this] { Notepad1Click(); });
}

std::string EditorProgram::load() {
    EditorChoice choice = readEditorSetting(editorSettingPath());
    showEditorChoice(choice.EditorPath);
    return std::move(choice.Problem);
}

void EditorProgram::open(const std::string& path) {
    if (EditorPath.empty() || EditorPath == kDefaultEditor)
        tools_.editText(QString::fromStdString(path));
    else
        tools_.startProgram(QString::fromStdString(EditorPath), {QString::fromStdString(path)});
}

void EditorProgram::showEditorChoice(const std::string& program) {
    EditorPath = program;
    const bool custom = EditorChoice{program, {}}.custom();
    QAction* chosen = context_.action("N9");
    chosen->setText(custom ? QString::fromStdString(program) : QStringLiteral("..."));
    (custom ? chosen : context_.action("Notepad1"))->setChecked(true);
}

void EditorProgram::N9Click() {
    QFileDialog dialog(&context_.window, QString::fromStdString(context_.translate("EditorForF4")));
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

void EditorProgram::Notepad1Click() {
    writeEditorSetting(editorSettingPath(), {});
    showEditorChoice(kDefaultEditor);
}
