// The commands that depend on the active panel and the FTP session: a move has no remote form,
// saving as needs a remote file, packing, archives, drives and printing need local ones, and
// properties need an editor on the FTP panel and a file manager on a local one.
#include "app/engine.h"
#include "main/command_gate.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/shell_tools.h"

#include <QAction>
#include <QToolButton>

void TForm1::UpdateMenusForPanel(int panelNumber) {
    const int ftpPanel = engine_->session().FtpPanel;
    holdCommand(findChild<QAction*>("Move1"), ftpPanel != 0);
    holdCommand(findChild<QToolButton*>("SpeedButton11"), ftpPanel != 0);
    const bool remote = ftpPanel == panelNumber;
    holdCommand(findChild<QAction*>("Zapiszjako1"), !remote);
    for (const char* name : {"Zip1", "UnZip1", "Zipview1", "Disk1", "Print1"})
        holdCommand(findChild<QAction*>(name), remote);
    shell_->enablePropertiesForPanel();
}

// A command held here comes back when released; one its owner keeps disabled (not built, or
// its desktop tool missing) stays disabled.
void TForm1::holdCommand(QObject* command, bool hold) {
    if (!hold) {
        if (heldCommands_.erase(command) != 0)
            command->setProperty("enabled", true);
        return;
    }
    if (command->property("enabled").toBool()) {
        command->setProperty("enabled", false);
        heldCommands_.insert(command);
    }
}
