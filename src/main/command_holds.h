#pragma once

#include "main/window_context.h"

#include <QObject>

#include <set>

class ShellTools;

// The commands that depend on the active panel and the FTP session: a move has no remote form,
// saving as needs a remote file, packing, archives, drives and printing need local ones, and
// properties need an editor on the FTP panel and a file manager on a local one. They follow each
// activation of a panel; the window asks again when the session takes a panel or gives it back.
class CommandHolds : public QObject {
public:
    CommandHolds(const WindowContext& context, ShellTools& shell);

    void UpdateMenusForPanel(int panelNumber);

private:
    // A command held here comes back when released; one its owner keeps disabled (not built, or
    // its desktop tool missing) stays disabled.
    void holdCommand(QObject* command, bool hold);

    const WindowContext& context_;
    ShellTools& shell_;
    std::set<QObject*> heldCommands_; // disabled here, enabled again when released
};
