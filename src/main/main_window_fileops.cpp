// The main window's file commands: copy and move (keys, toolbar, drag and drop, files dropped
// from other programs), make folder, delete, rename and attributes, and the worker side of the
// jobs they post.
#include "frontend/frontend.h"
#include "main/attribute_dialog.h"
#include "main/job_frame.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "workers/command_codes.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {

void reread(LocalExplorer& explorer) {
    explorer.ReadDir(explorer.GetPath(), true);
    explorer.FillGrid();
}

// A new name for an entry of the folder: one component.
bool isEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

void TForm1::connectFileCommands() {
    connectAction(
        "kopiuj1", [this] { SpeedButton13Click(); }, QKeySequence(Qt::Key_F5));
    connectAction(
        "Move1", [this] { Move1Click(); }, QKeySequence(Qt::Key_F6));
    connectAction(
        "UtwKat1", [this] { butGetFileClick(); }, QKeySequence(Qt::Key_F7));
    connectAction(
        "Usu1", [this] { butSetFileClick(); }, QKeySequence(Qt::Key_F8));
    connectAction(
        "ZmNazw1", [this] { SpeedButton10Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F6));
    connectAction(
        "Zmieatrybuty1", [this] { Zmieatrybuty1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_Q));
    const std::pair<QToolButton*, void (TForm1::*)()> buttons[] = {
        {SpeedButton13, &TForm1::SpeedButton13Click},
        {SpeedButton11, &TForm1::Move1Click},
        {butGetFile, &TForm1::butGetFileClick},
        {butSetFile, &TForm1::butSetFileClick},
        {SpeedButton10, &TForm1::SpeedButton10Click}};
    for (const auto& [button, handler] : buttons) {
        button->setEnabled(true);
        connect(button, &QToolButton::clicked, this, handler);
    }
    for (PanelController* source : {leftPanel_.get(), rightPanel_.get()}) {
        const PanelSide side = source->side();
        connect(source, &PanelController::gridCommand, this,
                [this](PanelController::GridCommand command) {
                    switch (command) {
                    case PanelController::GridCommand::Copy:
                        SpeedButton13Click();
                        break;
                    case PanelController::GridCommand::MakeFolder:
                        butGetFileClick();
                        break;
                    case PanelController::GridCommand::Delete:
                        butSetFileClick();
                        break;
                    }
                });
        connect(source, &PanelController::rowsDropped, this, [this, side] { dropRows(side); });
        connect(source, &PanelController::filesDropped, this,
                [this, side](const std::vector<std::string>& paths) { dropFiles(side, paths); });
    }
    connectFileJobs();
}

void TForm1::connectFileJobs() {
    LocalWorker->setHandler(cmdLocalCopy, [this](const CommandParams& params) {
        const JobFrame frame(*this, params.job);
        LocalExplorer& target = explorer(sideOf(params.TargetPanel));
        LocalExplorer& source = *target.OtherPanel;
        source.CopyMoveItems(*params.queue, *params.job);
        reread(target);
        if (params.queue->Move)
            reread(source);
    });
    LocalWorker->setHandler(cmdLocalDrop, [this](const CommandParams& params) {
        const JobFrame frame(*this, params.job);
        LocalExplorer& target = explorer(sideOf(params.TargetPanel));
        target.CopyMoveItems(*params.queue, *params.job);
        reread(target);
    });
    RemoteWorker->setHandler(cmdDelete, [this](const CommandParams& params) {
        const JobFrame frame(*this, params.job);
        if (FtpSession->FtpPanel == params.ActivePanel) {
            deleteRemoteEntries(params);
            return;
        }
        LocalExplorer& panel = explorer(sideOf(params.ActivePanel));
        panel.DeleteItems(*params.queue, *params.job);
        reread(panel);
        RefreshPanelIfAffected(panel, *panel.OtherPanel, FtpSession->FtpPanel);
    });
    // A single entry changes on the local worker too: a dead mount then blocks the worker, never
    // the window. The panels are read again as after any change.
    LocalWorker->setHandler(cmdLocalMkDir, [this](const CommandParams& params) {
        LocalExplorer& panel = explorer(sideOf(params.ActivePanel));
        panel.MkDir(params.FolderPath, params.NewName);
        // A panel gone elsewhere meanwhile would take the cursor target to another folder.
        if (panel.GetPath() == params.FolderPath)
            panel.SetCursorTarget(params.NewName);
        bridge.post([this] { refreshBothPanels(); });
    });
    LocalWorker->setHandler(cmdLocalRename, [this](const CommandParams& params) {
        explorer(sideOf(params.ActivePanel))
            .Rename(params.FolderPath, params.SelectedName, params.NewName);
        bridge.post([this] { refreshBothPanels(); });
    });
    LocalWorker->setHandler(cmdLocalAttributes, [this](const CommandParams& params) {
        LocalExplorer& panel = explorer(sideOf(params.ActivePanel));
        for (const MarkDomain& item : params.queue->Items)
            panel.SetReadOnly(item.Source, item.Name, params.ReadOnly);
        bridge.post([this] { refreshBothPanels(); });
    });
}

bool TForm1::postJob(Mailbox& mailbox, int code, CommandParams params,
                     std::optional<JobQueue> queue) {
    if (!queue || !panelsIdle())
        return false;
    params.queue = std::make_shared<const JobQueue>(std::move(*queue));
    params.job = std::make_shared<Job>();
    // The panels go at once, not when the worker starts: no second command can slip in.
    runningJob_ = params.job;
    Panel5->setEnabled(false);
    Panel2->setEnabled(false);
    lastTickBytes_ = 0;
    Timer2->start();
    SpeedButton24->show();
    deliverJob(mailbox, code, std::move(params));
    return true;
}

void TForm1::deliverJob(Mailbox& mailbox, int code, CommandParams params) {
    if (params.job->stopRequested()) {
        jobEnded(params.job, JobFrame::kQuietFinish);
        return;
    }
    // The worker may be finishing a short command (a folder being read): the job waits for it.
    if (!mailbox.post(code, params))
        QTimer::singleShot(50, this, [this, &mailbox, code, params = std::move(params)] {
            deliverJob(mailbox, code, params);
        });
}

void TForm1::postWhenFree(Mailbox& mailbox, int code, CommandParams params) {
    // The worker may be finishing a short command (a folder being read): this one waits for it,
    // and commands given meanwhile follow in the order given.
    if (!mailbox.post(code, params))
        QTimer::singleShot(50, this, [this, &mailbox, code, params = std::move(params)] {
            postWhenFree(mailbox, code, params);
        });
}

void TForm1::jobEnded(const std::shared_ptr<Job>& job, int finishKind) {
    bridge.post([this, job, finishKind] {
        if (runningJob_ != job)
            return;
        runningJob_.reset();
        Timer2->stop();
        SpeedButton24->hide();
        OperationFinished(finishKind);
        Panel5->setEnabled(true);
        Panel2->setEnabled(true);
        activePanel().grid().setFocus();
    });
}

void TForm1::unmarkRow(PanelSide side, int row, std::string name) {
    bridge.post([this, side, row, name = std::move(name)] {
        PanelModel& model = panel(side).model();
        const listing::SearchRecord* record = model.recordAt(row);
        if (record == nullptr || record->Name != name)
            return; // the panel was read again meanwhile: this row is another entry
        model.setMarked(row, false);
        RefreshRowIfVisible(row);
    });
}

void TForm1::RefreshRowIfVisible(int row) {
    for (PanelController* grid : {rightPanel_.get(), leftPanel_.get()}) {
        const int top = grid->grid().rowAt(0);
        if (top <= row && row <= top + grid->grid().visibleRowCount())
            grid->repaint();
    }
    ShowSelectionInfo();
}

void TForm1::RefreshPanelIfAffected(LocalExplorer& changed, LocalExplorer& other, int ftpPanel) {
    if (ftpPanel == 0 && isWithin(changed.GetPath(), other.GetPath()))
        reread(other);
}

void TForm1::queueMarked(PanelController& source, const std::string& target) {
    const PanelModel& model = source.model();
    const std::string folder = source.source().GetPath();
    for (const int row : model.markedRows()) {
        const listing::SearchRecord* record = model.recordAt(row);
        if (record == nullptr)
            continue; // "[..]" is never worked on
        Jobs.AddItem({folder, target, record->Name,
                      model.kindOf(row) == PanelModel::RowKind::Folder, record->IsSymlink, row,
                      record->Mode, record->Size});
    }
}

void TForm1::SpeedButton13Click() {
    copyMarked(false);
}

void TForm1::Move1Click() {
    copyMarked(true);
}

void TForm1::copyMarked(bool move) {
    if (!panelsIdle())
        return; // and the request leaves nothing behind: a refused move is no move later
    PanelController& source = activePanel();
    source.grid().setFocus();
    source.selectRow(source.model().currentRow());
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), move);
}

void TForm1::postCopy(PanelSide source, bool move) {
    if (FtpSession->FtpPanel != 0) {
        if (!move) // a move exists only between local panels
            postTransfer(source);
        return;
    }
    const PanelSide target = otherSide(source);
    queueMarked(panel(source), explorer(target).GetPath());
    CommandParams params = commandParams();
    params.TargetPanel = panelNumber(target);
    postJob(LocalCommand, cmdLocalCopy, std::move(params), Jobs.Commit(cmdLocalCopy, move));
}

void TForm1::dropRows(PanelSide target) {
    if (!panelsIdle())
        return;
    PanelController& source = panel(otherSide(target));
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), false);
}

void TForm1::dropFiles(PanelSide target, const std::vector<std::string>& paths) {
    if (!panelsIdle() || FtpSession->FtpPanel == panelNumber(target))
        return;
    const std::string into = explorer(target).GetPath();
    for (const std::string& path : paths) {
        Jobs.AddItem({folderOf(path), into, nameOf(path), false, false, -1});
    }
    CommandParams params = commandParams();
    params.TargetPanel = panelNumber(target);
    postJob(LocalCommand, cmdLocalDrop, std::move(params), Jobs.Commit(cmdLocalDrop, false));
}

void TForm1::butGetFileClick() {
    if (!panelsIdle())
        return;
    const auto name = messages().askText(Translate("NewDirectory"), Translate("Name"), "");
    if (!name)
        return;
    PanelController& active = activePanel();
    if (FtpSession->FtpPanel == ActivePanel) {
        // The server's work runs on the remote worker.
        CommandParams params = commandParams();
        params.NewName = *name;
        RemoteCommand.post(cmdRemoteMkDir, std::move(params));
        return;
    }
    CommandParams params = commandParams();
    params.FolderPath = active.explorer().GetPath();
    params.NewName = *name;
    postWhenFree(LocalCommand, cmdLocalMkDir, std::move(params));
    active.grid().setFocus();
}

void TForm1::butSetFileClick() {
    if (!panelsIdle())
        return;
    PanelController& active = activePanel();
    PanelModel& model = active.model();
    model.markCurrentIfNoneMarked(ActiveRow);
    std::string names;
    int count = 0;
    for (const int row : model.markedRows()) {
        if (model.recordAt(row) == nullptr)
            continue;
        names += "\n" + model.nameCell(row);
        if (++count > 5) {
            names += "\n....";
            break;
        }
    }
    const bool confirmed =
        count > 0 &&
        messages().show({"Tarvo Manager", Translate("DoYouWontDeleteFile") + "\n" + names,
                         MessageButton::Yes | MessageButton::No, MessageIcon::Question}) ==
            MessageButton::Yes;
    if (!confirmed) {
        model.setMarked(ActiveRow, false);
        active.repaint();
        ShowSelectionInfo();
        return;
    }
    queueMarked(active, "");
    postJob(RemoteCommand, cmdDelete, commandParams(), Jobs.Commit(cmdDelete, false));
    active.grid().setFocus();
}

void TForm1::SpeedButton10Click() {
    if (!panelsIdle())
        return;
    PanelController& active = activePanel();
    PanelModel& model = active.model();
    active.grid().setFocus();
    active.selectRow(model.currentRow());
    model.markCurrentIfNoneMarked(ActiveRow);
    const int row = ActiveRow;
    // "[..]" has no record: it is never renamed.
    if (const listing::SearchRecord* record = model.recordAt(row)) {
        const std::string current = record->Name;
        const auto name = messages().askText(Translate("Rename"), Translate("NewName"), current);
        if (name && !isEntryName(*name)) {
            messages().show({"Tarvo Manager", Translate("OperationNotAllowed") + "\n\n" + *name,
                             MessageButton::Ok, MessageIcon::Information});
        } else if (name && FtpSession->FtpPanel == ActivePanel) {
            CommandParams params = commandParams(); // the server's work runs on the remote worker
            params.SelectedName = current;
            params.NewName = *name;
            RemoteCommand.post(cmdRename, std::move(params));
        } else if (name) {
            CommandParams params = commandParams();
            params.FolderPath = active.explorer().GetPath();
            params.SelectedName = current;
            params.NewName = *name;
            postWhenFree(LocalCommand, cmdLocalRename, std::move(params));
        }
    }
    model.setMarked(row, false);
    active.repaint();
    ShowSelectionInfo();
}

void TForm1::Zmieatrybuty1Click() {
    if (!panelsIdle())
        return;
    PanelController& active = activePanel();
    PanelModel& model = active.model();
    model.markCurrentIfNoneMarked(ActiveRow);
    if (FtpSession->FtpPanel == ActivePanel) {
        openChmodDialog();
        return;
    }
    TOKRightDlg1 dialog(this, language_, SelectedAttr);
    windowSwitchKey().holdWhileOpen(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        queueMarked(active, "");
        for (const int row : model.markedRows())
            if (model.recordAt(row) != nullptr)
                model.setMarked(row, false);
        CommandParams params = commandParams();
        params.ReadOnly = dialog.readOnly();
        if (auto queue = Jobs.Commit(cmdLocalAttributes, false)) { // none when only "[..]"
            params.queue = std::make_shared<const JobQueue>(std::move(*queue));
            postWhenFree(LocalCommand, cmdLocalAttributes, std::move(params));
        }
    } else {
        model.setMarked(ActiveRow, false);
    }
    active.repaint();
    ShowSelectionInfo();
}
