// The main window's file commands: copy and move (keys, toolbar, drag and drop, files dropped
// from other programs), make folder, delete, rename and attributes; the engine runs them.
#include "app/job_frame.h"
#include "frontend/frontend.h"
#include "main/attribute_dialog.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/posix/path.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {

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
}

std::optional<JobWork> TForm1::startJob(std::optional<JobQueue> queue) {
    if (!queue || !panelsTakeCommand())
        return std::nullopt;
    const JobWork work{std::make_shared<Job>(),
                       std::make_shared<const JobQueue>(std::move(*queue))};
    // The panels go at once, not when the worker starts: no second command can slip in.
    runningJob_ = work.job;
    Panel5->setEnabled(false);
    Panel2->setEnabled(false);
    lastTickBytes_ = 0;
    Timer2->start();
    SpeedButton24->show();
    return work;
}

void TForm1::jobPosted(const std::shared_ptr<Job>& job, PostResult result) {
    // A job posted while the worker finishes a short command (a folder being read) waits for
    // it; one the worker refuses gives the panels back.
    if (result == PostResult::Refused)
        jobEnded(job, JobFrame::kQuietFinish);
    reportPost(result);
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

void TForm1::queueMarked(PanelController& source, const std::string& target) {
    const PanelModel& model = source.model();
    const std::string folder = source.origin().Folder;
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
    if (!panelsTakeCommand())
        return; // and the request leaves nothing behind: a refused move is no move later
    PanelController& source = activePanel();
    source.grid().setFocus();
    source.selectRow(source.model().currentRow());
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), move);
}

void TForm1::postCopy(PanelSide source, bool move) {
    if (engine_->session().FtpPanel != 0) {
        if (!move) // a move exists only between local panels
            postTransfer(source);
        return;
    }
    const RowOrigin target = panel(otherSide(source)).origin();
    queueMarked(panel(source), target.Folder);
    postJob(engine_->localCommands(), cmd::LocalCopy{panel(source).origin(), target, {}},
            Jobs.Commit(cmdLocalCopy, move));
}

void TForm1::dropRows(PanelSide target) {
    if (!panelsTakeCommand())
        return;
    PanelController& source = panel(otherSide(target));
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), false);
}

void TForm1::dropFiles(PanelSide target, const std::vector<std::string>& paths) {
    if (!panelsTakeCommand() || engine_->session().FtpPanel == panelNumber(target))
        return;
    const RowOrigin into = panel(target).origin();
    for (const std::string& path : paths) {
        Jobs.AddItem({folderOf(path), into.Folder, nameOf(path), false, false, -1});
    }
    postJob(engine_->localCommands(), cmd::LocalDrop{into, {}}, Jobs.Commit(cmdLocalDrop, false));
}

void TForm1::butGetFileClick() {
    if (!panelsTakeCommand())
        return;
    PanelController& active = activePanel();
    // The folder the user saw when asked is where the new one goes.
    const RowOrigin into = active.origin();
    const auto name = messages().askText(Translate("NewDirectory"), Translate("Name"), "");
    if (!name)
        return;
    if (into.remote()) {
        // The server's work runs on the remote worker.
        reportPost(engine_->remoteCommands().post(cmd::RemoteMkDir{into, *name}));
        return;
    }
    // Behind a short command it waits, in order with what else the user asked.
    reportPost(engine_->localCommands().post(cmd::LocalMkDir{into, *name}));
    active.grid().setFocus();
}

void TForm1::butSetFileClick() {
    if (!panelsTakeCommand())
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
    // The entries the box names are the ones deleted, whatever the panel shows by the answer.
    const RowOrigin origin = active.origin();
    queueMarked(active, "");
    std::optional<JobQueue> entries = Jobs.Commit(cmdDelete, false);
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
    postJob(engine_->remoteCommands(), cmd::Delete{origin, {}}, std::move(entries));
    active.grid().setFocus();
}

void TForm1::SpeedButton10Click() {
    if (!panelsTakeCommand())
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
        const RowOrigin origin = active.origin();
        const auto name = messages().askText(Translate("Rename"), Translate("NewName"), current);
        if (name && !isEntryName(*name)) {
            messages().show({"Tarvo Manager", Translate("OperationNotAllowed") + "\n\n" + *name,
                             MessageButton::Ok, MessageIcon::Information});
        } else if (name && origin.remote()) {
            // The server's work runs on the remote worker.
            reportPost(engine_->remoteCommands().post(cmd::Rename{origin, current, *name}));
        } else if (name) {
            reportPost(engine_->localCommands().post(cmd::LocalRename{origin, current, *name}));
        }
    }
    model.setMarked(row, false);
    active.repaint();
    ShowSelectionInfo();
}

void TForm1::Zmieatrybuty1Click() {
    if (!panelsTakeCommand())
        return;
    PanelController& active = activePanel();
    PanelModel& model = active.model();
    model.markCurrentIfNoneMarked(ActiveRow);
    if (engine_->session().FtpPanel == ActivePanel) {
        openChmodDialog();
        return;
    }
    // The entries marked when the dialog opens are the ones it changes.
    const RowOrigin origin = active.origin();
    queueMarked(active, "");
    std::optional<JobQueue> entries = Jobs.Commit(cmdLocalAttributes, false);
    TOKRightDlg1 dialog(this, language_, SelectedAttr);
    windowSwitchKey().holdWhileOpen(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        for (const int row : model.markedRows())
            if (model.recordAt(row) != nullptr)
                model.setMarked(row, false);
        if (entries) // none when only "[..]" was marked
            reportPost(engine_->localCommands().post(cmd::LocalAttributes{
                origin, dialog.readOnly(), std::make_shared<const JobQueue>(std::move(*entries))}));
    } else {
        model.setMarked(ActiveRow, false);
    }
    active.repaint();
    ShowSelectionInfo();
}
