// The main window's side of the two panels: which one is active, the selected entry, the
// marking and sort commands, and the panel commands the workers run.
#include "main/main_window.h"
#include "main/panel_controller.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {
constexpr int kDirectory = 0x10;
constexpr int kArchive = 0x20;
} // namespace

PanelController& TForm1::panel(PanelSide side) {
    return side == PanelSide::Left ? *leftPanel_ : *rightPanel_;
}

PanelController& TForm1::activePanel() {
    return panel(sideOf(ActivePanel));
}

LocalExplorer& TForm1::explorer(PanelSide side) {
    return side == PanelSide::Left ? engine_->leftExplorer() : engine_->rightExplorer();
}

void TForm1::ActivateLeftPanel() {
    activatePanel(PanelSide::Left);
}

void TForm1::ActivateRightPanel() {
    activatePanel(PanelSide::Right);
}

void TForm1::activatePanel(PanelSide side) {
    ActivePanel = panelNumber(side);
    PanelController& active = panel(side);
    PanelController& other = panel(side == PanelSide::Left ? PanelSide::Right : PanelSide::Left);
    other.setActive(false);
    active.setActive(true);
    if (active.widgets().container->isEnabled())
        active.grid().setFocus();
    ActiveRow = active.model().currentRow();
    active.selectRow(ActiveRow);
    UpdateMenusForPanel(ActivePanel);
}

void TForm1::entrySelected(PanelController& source) {
    const PanelModel& model = source.model();
    const int row = model.currentRow();
    ActiveRow = row;
    SelectedName = model.nameCell(row);
    const listing::SearchRecord* record = model.recordAt(row);
    switch (model.kindOf(row)) {
    case PanelModel::RowKind::Up:
        SelectedAttr = kDirectory;
        break;
    case PanelModel::RowKind::Folder:
        SelectedAttr = record ? record->Attr : kArchive;
        break;
    case PanelModel::RowKind::File:
        SelectedAttr = record ? record->Attr : kArchive;
        if (record)
            SelectedSize = record->Size;
        break;
    }
    if (record != nullptr && model.remote())
        SelectedMode = record->Mode;
}

void TForm1::ShowSelectionInfo() {
    showSelectionLine(activePanel());
}

void TForm1::showSelectionLine(PanelController& active) {
    const PanelModel::Selection selection = active.model().selection();
    const std::string text = Translate("Files") + " " + std::to_string(selection.files) + " | " +
                             Translate("Dirs") + " " + std::to_string(selection.folders) + " | " +
                             Translate("Size") + " " + std::to_string(selection.bytes / 1024) +
                             "KB";
    active.widgets().selectionLabel->setText(QString::fromStdString(text));
}

void TForm1::Aktywneokno1Click() {
    if (ActivePanel == 1)
        ActivateLeftPanel();
    else
        ActivateRightPanel();
}

bool TForm1::panelsIdle() const {
    return Panel5->isEnabled() && Panel2->isEnabled();
}

bool TForm1::panelsTakeCommand() {
    if (panelsIdle())
        return true;
    commandRefused(strip_->jobRunning() || zipJobRunning() ? Refusal::JobRunning
                                                           : Refusal::FolderOpening);
    return false;
}

void TForm1::reportPost(PostResult result) {
    if (result == PostResult::Refused)
        commandRefused(Refusal::JobRunning);
    else if (result == PostResult::Full)
        commandRefused(Refusal::CommandsWaiting);
}

void TForm1::openCurrentEntry(PanelSide side) {
    activatePanel(side);
    const PanelController& shown = panel(side);
    const int row = shown.model().currentRow();
    if (sessionShownIn(side))
        reportPost(engine_->remoteCommands().post(
            cmd::ChangeDir{shown.origin(), shown.pathOf(row), SelectedAttr, SelectedSize}));
    else
        reportPost(engine_->remoteCommands().post(
            cmd::OpenEntry{shown.origin(), shown.pathOf(row), SelectedAttr}));
}

void TForm1::upButtonClick(PanelSide side) {
    activatePanel(side);
    if (sessionShownIn(side))
        reportPost(engine_->remoteCommands().post(cmd::RemoteUp{sessionOrigin()}));
    else
        reportPost(engine_->localCommands().post(cmd::LocalUp{panel(side).origin()}));
}

void TForm1::connectMarkCommands() {
    // Marks are what a running command works on: they change only while the panels are idle.
    auto onMarks = [this](std::function<void(PanelModel&)> change) {
        return [this, change] {
            if (!panelsTakeCommand())
                return;
            change(activePanel().model());
            activePanel().repaint();
            ShowSelectionInfo();
        };
    };
    connectAction("Zaznaczwszystko1", onMarks([](PanelModel& m) { m.markAllButUp(); }),
                  QKeySequence(Qt::CTRL | Qt::Key_A));
    connectAction("Odznaczwszystko1", onMarks([](PanelModel& m) { m.clearMarks(); }),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    connectAction("Odwrzaznaczenie1", onMarks([](PanelModel& m) { m.invertAllButUp(); }),
                  QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    const auto byExtension = [this, onMarks](bool mark) {
        return onMarks([this, mark](PanelModel& m) {
            m.markByExtension(markExtension(QString::fromStdString(SelectedName)), mark);
        });
    };
    connectAction("Extension1", byExtension(true), QKeySequence(Qt::CTRL | Qt::Key_E));
    connectAction("Unselectallwiththesameext1", byExtension(false),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    // Tab itself is taken by the grids, since everywhere else it moves the focus.
    connectAction("Aktywneokno1", [this] { Aktywneokno1Click(); });
}

void TForm1::connectSortCommands() {
    const std::tuple<const char*, listing::SortColumn, QKeySequence> items[] = {
        {"nazwa1", listing::SortColumn::Name, QKeySequence(Qt::CTRL | Qt::Key_F3)},
        {"typ1", listing::SortColumn::Type, QKeySequence(Qt::CTRL | Qt::Key_F4)},
        {"data1", listing::SortColumn::Date, QKeySequence(Qt::CTRL | Qt::Key_F5)},
        // Ctrl+F6 renames; sorting by size keeps its menu item and its header button.
        {"rozmiar1", listing::SortColumn::Size, QKeySequence()},
        {"atrybuty1", listing::SortColumn::Attr, QKeySequence(Qt::CTRL | Qt::Key_F7)}};
    for (const auto& [name, column, shortcut] : items) {
        connectAction(
            name,
            [this, column = column] {
                if (panelsTakeCommand())
                    activePanel().headerClicked(column);
            },
            shortcut);
    }
}

void TForm1::connectIconCommands() {
    makeExclusive({"Standard1", "All1"});
    connectAction("Standard1", [this] { setIconMode(true); });
    connectAction("All1", [this] { setIconMode(false); });
    setIconMode(StandardIcons);
}

void TForm1::setIconMode(bool standard) {
    StandardIcons = standard;
    findChild<QAction*>(standard ? "Standard1" : "All1")->setChecked(true);
    rightPanel_->repaint();
    leftPanel_->repaint();
}
