#include "main/folder_commands.h"

#include "app/engine.h"
#include "main/command_gate.h"
#include "main/drive_boxes.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/special_folders.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

FolderCommands::FolderCommands(const WindowContext& context, DriveBoxes& drives)
    : context_(context), drives_(drives) {
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        PanelController& source = context_.panels.panel(side);
        connect(&source, &PanelController::openRequested, this,
                [this, side] { openCurrentEntry(side); });
        connect(&source, &PanelController::upRequested, this,
                [this, side] { upButtonClick(side); });
        connect(source.widgets().upButton, &QToolButton::clicked, this,
                [this, side] { upButtonClick(side); });
        connectHeaderStrip(side);
    }
    context_.connectAction(
        this, "odwie1", [this] { odwie1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_R));
    struct FolderItem {
        const char* action;
        int folder;
        QKeySequence shortcut;
    };
    const FolderItem folders[] = {
        {"MyDocuments1", kDocumentsFolder, QKeySequence(Qt::ALT | Qt::Key_D)},
        {"Desktop1", kDesktopFolder, QKeySequence(Qt::ALT | Qt::Key_P)},
        {"SendTo1", kStartMenuFolder, QKeySequence(Qt::ALT | Qt::Key_S)}};
    for (const FolderItem& item : folders)
        context_.connectAction(
            this, item.action, [this, id = item.folder] { specialFolderClick(id); }, item.shortcut);
    // These folders do not exist on this desktop.
    for (const char* name : {"FAVORITES1", "CSIDLRECENT1"})
        context_.action(name)->setVisible(false);

    // The toolbar's buttons: the special folders' twins, and up in the active panel.
    context_.connectButton(this, "SpeedButton33", [this] { specialFolderClick(kDocumentsFolder); });
    context_.connectButton(this, "SpeedButton36", [this] { specialFolderClick(kDesktopFolder); });
    context_.connectButton(this, "SpeedButton32", [this] {
        if (context_.gate.take())
            upButtonClick(context_.panels.activeSide());
    });
}

void FolderCommands::connectHeaderStrip(PanelSide side) {
    const PanelWidgets& widgets = context_.panels.panel(side).widgets();
    for (QWidget* control :
         {static_cast<QWidget*>(widgets.maskBox), static_cast<QWidget*>(widgets.refreshButton),
          static_cast<QWidget*>(widgets.rootButton)})
        control->setEnabled(true);
    // A mask applies on Enter; picking one from the list only puts it in the box.
    widgets.maskBox->setInsertPolicy(QComboBox::NoInsert);
    connect(widgets.maskBox->lineEdit(), &QLineEdit::returnPressed, this,
            [this, side] { maskBoxEnter(side); });
    connect(widgets.refreshButton, &QToolButton::clicked, this,
            [this, side] { refreshButtonClick(side); });
    connect(widgets.rootButton, &QToolButton::clicked, this,
            [this, side] { rootButtonClick(side); });
}

void FolderCommands::openCurrentEntry(PanelSide side) {
    context_.panels.activate(side);
    const PanelController& shown = context_.panels.panel(side);
    const SelectedEntry& selected = context_.panels.selected();
    const int row = shown.model().currentRow();
    if (context_.engine.sessionShownIn(side))
        context_.gate.report(context_.engine.remoteCommands().post(
            cmd::ChangeDir{shown.origin(), shown.pathOf(row), selected.attributes, selected.size}));
    else
        context_.gate.report(context_.engine.remoteCommands().post(
            cmd::OpenEntry{shown.origin(), shown.pathOf(row), selected.attributes}));
}

void FolderCommands::upButtonClick(PanelSide side) {
    context_.panels.activate(side);
    if (context_.engine.sessionShownIn(side))
        context_.gate.report(
            context_.engine.remoteCommands().post(cmd::RemoteUp{context_.engine.sessionOrigin()}));
    else
        context_.gate.report(context_.engine.localCommands().post(
            cmd::LocalUp{context_.panels.panel(side).origin()}));
}

void FolderCommands::rootButtonClick(PanelSide side) {
    context_.panels.activate(side);
    if (context_.engine.sessionShownIn(side))
        context_.gate.report(context_.engine.remoteCommands().post(
            cmd::RemoteRoot{context_.engine.sessionOrigin()}));
    else
        drives_.driveBoxClick(side);
}

void FolderCommands::refreshButtonClick(PanelSide side) {
    context_.panels.activate(side);
    odwie1Click();
}

void FolderCommands::odwie1Click() {
    if (!context_.gate.take())
        return;
    const PanelSide side = context_.panels.activeSide();
    if (context_.engine.sessionShownIn(side))
        context_.gate.report(context_.engine.remoteCommands().post(
            cmd::RefreshRemote{context_.engine.sessionOrigin()}));
    else
        drives_.postFolderRead(side, context_.engine.explorer(side).GetPath(), "*.*", false);
}

void FolderCommands::maskBoxEnter(PanelSide side) {
    const std::string mask =
        context_.panels.panel(side).widgets().maskBox->currentText().toStdString();
    // The session's panel is filled again from its last listing, with the entries that match.
    if (context_.engine.sessionShownIn(side))
        context_.engine.session().FillGrid(mask);
    else
        drives_.postFolderRead(side, context_.engine.explorer(side).GetPath(), mask, false);
}

void FolderCommands::specialFolderClick(int id) {
    if (!context_.gate.take())
        return;
    context_.gate.report(context_.engine.remoteCommands().post(
        cmd::GoToSpecialFolder{context_.panels.activeNumber(), id}));
}
