// The first show of the main window, which restores the panels as the last run left them, and
// the brief and full views of a panel.
#include "app/engine.h"
#include "local/start_folder.h"
#include "main/command_gate.h"
#include "main/drive_boxes.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "settings/settings_file.h"

#include <QDir>

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    panels_->focusActiveGrid();
    if (!FirstShowPending)
        return;
    FirstShowPending = false;
    const RunSettings saved = SettingsDoc ? readRunSettings(*SettingsDoc) : RunSettings{};
    const std::string home = QDir::homePath().toStdString();
    engine_->setStartFolders(startFolderOf(saved.LeftTabDir, home),
                             startFolderOf(saved.RightTabDir, home));
    if (saved.LeftBriefView)
        setBriefView(PanelSide::Left, true);
    if (saved.RightBriefView)
        setBriefView(PanelSide::Right, true);
    ActivateLeftPanel();
    drives_->ReadDriveLetters();
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).showSortKey(engine_->explorer(side).GetSortKey());
    gate_->report(engine_->remoteCommands().post(cmd::RefreshPanels{}));
}

void TForm1::setBriefView(PanelSide side, bool brief) {
    panel(side).setBriefView(brief);
}

bool TForm1::briefView(PanelSide side) const {
    return panels_->panel(side).briefView();
}

void TForm1::brief1Click() {
    setBriefView(panels_->activeSide(), true);
}

void TForm1::full1Click() {
    setBriefView(panels_->activeSide(), false);
}

void TForm1::connectViewCommands() {
    connectAction(
        "brief1", [this] { brief1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F1));
    connectAction(
        "full1", [this] { full1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F2));
}
