#pragma once

#include "frontend/frontend.h"
#include "main/window_context.h"

#include <QObject>

#include <string>
#include <vector>

class FileJobs;
class TransferCommands;

// The file commands on the panels' entries: copy and move (keys, toolbar, drag and drop, files
// dropped from other programs), make folder, delete, rename, and the attributes of local
// entries or the permissions of remote ones. The workers run them.
class FileCommands : public QObject {
public:
    FileCommands(const WindowContext& context, FileJobs& jobs, TransferCommands& transfers);

private:
    void SpeedButton13Click(); // copy
    void Move1Click();
    void copyMarked(bool move);
    // Copies (or moves) the marked rows of a panel into the other panel's folder.
    void postCopy(PanelSide source, bool move);
    void dropRows(PanelSide target);
    void dropFiles(PanelSide target, const std::vector<std::string>& paths);
    void butGetFileClick();    // make folder
    void butSetFileClick();    // delete
    void SpeedButton10Click(); // rename
    void Zmieatrybuty1Click(); // attributes
    void openChmodDialog();
    bool postChmod(unsigned bits);

    const WindowContext& context_;
    FileJobs& jobs_;
    TransferCommands& transfers_;
};
