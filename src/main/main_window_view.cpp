// The first show of the main window, which restores the panels as the last run left them.
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
        panel(PanelSide::Left).setBriefView(true);
    if (saved.RightBriefView)
        panel(PanelSide::Right).setBriefView(true);
    ActivateLeftPanel();
    drives_->ReadDriveLetters();
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).showSortKey(engine_->explorer(side).GetSortKey());
    gate_->report(engine_->remoteCommands().post(cmd::RefreshPanels{}));
}

bool TForm1::briefView(PanelSide side) const {
    return panels_->panel(side).briefView();
}
