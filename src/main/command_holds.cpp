#include "main/command_holds.h"

#include "app/engine.h"
#include "main/panel_pair.h"
#include "main/shell_tools.h"

#include <QAction>
#include <QToolButton>

CommandHolds::CommandHolds(const WindowContext& context, ShellTools& shell)
    : context_(context), shell_(shell) {
    connect(&context_.panels, &PanelPair::activated, this,
            [this] { UpdateMenusForPanel(context_.panels.activeNumber()); });
}

void CommandHolds::UpdateMenusForPanel(int panelNumber) {
    const int ftpPanel = context_.engine.session().FtpPanel;
    holdCommand(context_.action("Move1"), ftpPanel != 0);
    holdCommand(context_.window.findChild<QToolButton*>("SpeedButton11"), ftpPanel != 0);
    const bool remote = ftpPanel == panelNumber;
    holdCommand(context_.action("Zapiszjako1"), !remote);
    for (const char* name : {"Zip1", "UnZip1", "Zipview1", "Disk1", "Print1"})
        holdCommand(context_.action(name), remote);
    shell_.enablePropertiesForPanel();
}

void CommandHolds::holdCommand(QObject* command, bool hold) {
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
