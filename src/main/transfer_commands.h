#pragma once

#include "frontend/frontend.h"
#include "main/window_context.h"

#include <QObject>

class ConnectBar;
class EditorProgram;
class FileJobs;

// The transfers between the FTP panel and a local one (F5, the Copy button and row drops),
// Save As of a remote file, F4 (a local file in the chosen editor, a remote one as a copy whose
// saves go back), and the hidden tree listings into the console.
class TransferCommands : public QObject {
public:
    TransferCommands(const WindowContext& context, FileJobs& jobs, EditorProgram& editor,
                     const ConnectBar& bar);

    // Downloads or uploads the marked rows of the panel, by which side shows the session.
    void postTransfer(PanelSide source);

private:
    void Zapiszjako1Click();   // save as
    void SpeedButton12Click(); // edit (F4)

    const WindowContext& context_;
    FileJobs& jobs_;
    EditorProgram& editor_;
    const ConnectBar& bar_;
};
