#pragma once

#include "frontend/frontend.h"
#include "main/window_context.h"

#include <QObject>

class DriveBoxes;

// Moving through the folders of the panels: opening the entry under the cursor, up, root,
// refresh, the file mask and the special folders, from the keys, the panels' header strips, the
// menu and the toolbar. The FTP session's panel goes through the session.
class FolderCommands : public QObject {
public:
    FolderCommands(const WindowContext& context, DriveBoxes& drives);

private:
    void connectHeaderStrip(PanelSide side);
    void openCurrentEntry(PanelSide side);
    void upButtonClick(PanelSide side);
    void rootButtonClick(PanelSide side);
    void refreshButtonClick(PanelSide side);
    void odwie1Click(); // refresh the active panel
    void maskBoxEnter(PanelSide side);
    void specialFolderClick(int id);

    const WindowContext& context_;
    DriveBoxes& drives_;
};
