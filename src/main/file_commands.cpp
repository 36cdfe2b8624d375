#include "main/file_commands.h"

#include "app/engine.h"
#include "main/attribute_dialog.h"
#include "main/chmod_dialog.h"
#include "main/command_gate.h"
#include "main/file_jobs.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/transfer_commands.h"
#include "main/window_switch_key.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"

namespace listing = tarvo::listing;

namespace {

// A new name for an entry of the folder: one component.
bool isEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

FileCommands::FileCommands(const WindowContext& context, FileJobs& jobs,
                           TransferCommands& transfers)
    : context_(context), jobs_(jobs), transfers_(transfers) {
    context_.connectAction(
        this, "kopiuj1", [this] { SpeedButton13Click(); }, QKeySequence(Qt::Key_F5));
    context_.connectAction(
        this, "Move1", [this] { Move1Click(); }, QKeySequence(Qt::Key_F6));
    context_.connectAction(
        this, "UtwKat1", [this] { butGetFileClick(); }, QKeySequence(Qt::Key_F7));
    context_.connectAction(
        this, "Usu1", [this] { butSetFileClick(); }, QKeySequence(Qt::Key_F8));
    context_.connectAction(
        this, "ZmNazw1", [this] { SpeedButton10Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F6));
    context_.connectAction(
        this, "Zmieatrybuty1", [this] { Zmieatrybuty1Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_Q));
    const std::pair<const char*, void (FileCommands::*)()> buttons[] = {
        {"SpeedButton13", &FileCommands::SpeedButton13Click},
        {"SpeedButton11", &FileCommands::Move1Click},
        {"butGetFile", &FileCommands::butGetFileClick},
        {"butSetFile", &FileCommands::butSetFileClick},
        {"SpeedButton10", &FileCommands::SpeedButton10Click}};
    for (const auto& [button, handler] : buttons)
        context_.connectButton(this, button, [this, handler = handler] { (this->*handler)(); });
    for (PanelController* source :
         {&context_.panels.panel(PanelSide::Left), &context_.panels.panel(PanelSide::Right)}) {
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

void FileCommands::SpeedButton13Click() {
    copyMarked(false);
}

void FileCommands::Move1Click() {
    copyMarked(true);
}

void FileCommands::copyMarked(bool move) {
    if (!context_.gate.take())
        return; // and the request leaves nothing behind: a refused move is no move later
    PanelController& source = context_.panels.active();
    source.grid().setFocus();
    source.selectRow(source.model().currentRow());
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), move);
}

void FileCommands::postCopy(PanelSide source, bool move) {
    if (context_.engine.session().FtpPanel != 0) {
        if (!move) // a move exists only between local panels
            transfers_.postTransfer(source);
        return;
    }
    const RowOrigin target = context_.panels.panel(otherSide(source)).origin();
    jobs_.queueMarked(context_.panels.panel(source), target.Folder);
    jobs_.post(context_.engine.localCommands(),
               cmd::LocalCopy{context_.panels.panel(source).origin(), target, {}},
               jobs_.jobs().Commit(cmdLocalCopy, move));
}

void FileCommands::dropRows(PanelSide target) {
    if (!context_.gate.take())
        return;
    PanelController& source = context_.panels.panel(otherSide(target));
    source.model().markCurrentIfNoneMarked(source.model().currentRow());
    postCopy(source.side(), false);
}

void FileCommands::dropFiles(PanelSide target, const std::vector<std::string>& paths) {
    if (!context_.gate.take() || context_.engine.session().FtpPanel == panelNumber(target))
        return;
    const RowOrigin into = context_.panels.panel(target).origin();
    for (const std::string& path : paths) {
        jobs_.jobs().AddItem({folderOf(path), into.Folder, nameOf(path), false, false, -1});
    }
    jobs_.post(context_.engine.localCommands(), cmd::LocalDrop{into, {}},
               jobs_.jobs().Commit(cmdLocalDrop, false));
}

void FileCommands::butGetFileClick() {
    if (!context_.gate.take())
        return;
    PanelController& active = context_.panels.active();
    // The folder the user saw when asked is where the new one goes.
    const RowOrigin into = active.origin();
    const auto name = context_.messages.askText(context_.translate("NewDirectory"),
                                                context_.translate("Name"), "");
    if (!name)
        return;
    if (into.remote()) {
        // The server's work runs on the remote worker.
        context_.gate.report(context_.engine.remoteCommands().post(cmd::RemoteMkDir{into, *name}));
        return;
    }
    // Behind a short command it waits, in order with what else the user asked.
    context_.gate.report(context_.engine.localCommands().post(cmd::LocalMkDir{into, *name}));
    active.grid().setFocus();
}

void FileCommands::butSetFileClick() {
    if (!context_.gate.take())
        return;
    PanelController& active = context_.panels.active();
    PanelModel& model = active.model();
    model.markCurrentIfNoneMarked(context_.panels.selected().row);
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
    jobs_.queueMarked(active, "");
    std::optional<JobQueue> entries = jobs_.jobs().Commit(cmdDelete, false);
    const bool confirmed =
        count > 0 &&
        context_.messages.show(
            {"Tarvo Manager", context_.translate("DoYouWontDeleteFile") + "\n" + names,
             MessageButton::Yes | MessageButton::No, MessageIcon::Question}) == MessageButton::Yes;
    if (!confirmed) {
        model.setMarked(context_.panels.selected().row, false);
        active.repaint();
        context_.panels.ShowSelectionInfo();
        return;
    }
    jobs_.post(context_.engine.remoteCommands(), cmd::Delete{origin, {}}, std::move(entries));
    active.grid().setFocus();
}

void FileCommands::SpeedButton10Click() {
    if (!context_.gate.take())
        return;
    PanelController& active = context_.panels.active();
    PanelModel& model = active.model();
    active.grid().setFocus();
    active.selectRow(model.currentRow());
    model.markCurrentIfNoneMarked(context_.panels.selected().row);
    const int row = context_.panels.selected().row;
    // "[..]" has no record: it is never renamed.
    if (const listing::SearchRecord* record = model.recordAt(row)) {
        const std::string current = record->Name;
        const RowOrigin origin = active.origin();
        const auto name = context_.messages.askText(context_.translate("Rename"),
                                                    context_.translate("NewName"), current);
        if (name && !isEntryName(*name)) {
            context_.messages.show({"Tarvo Manager",
                                    context_.translate("OperationNotAllowed") + "\n\n" + *name,
                                    MessageButton::Ok, MessageIcon::Information});
        } else if (name && origin.remote()) {
            // The server's work runs on the remote worker.
            context_.gate.report(
                context_.engine.remoteCommands().post(cmd::Rename{origin, current, *name}));
        } else if (name) {
            context_.gate.report(
                context_.engine.localCommands().post(cmd::LocalRename{origin, current, *name}));
        }
    }
    model.setMarked(row, false);
    active.repaint();
    context_.panels.ShowSelectionInfo();
}

void FileCommands::Zmieatrybuty1Click() {
    if (!context_.gate.take())
        return;
    PanelController& active = context_.panels.active();
    PanelModel& model = active.model();
    model.markCurrentIfNoneMarked(context_.panels.selected().row);
    if (context_.engine.session().FtpPanel == context_.panels.activeNumber()) {
        openChmodDialog();
        return;
    }
    // The entries marked when the dialog opens are the ones it changes.
    const RowOrigin origin = active.origin();
    jobs_.queueMarked(active, "");
    std::optional<JobQueue> entries = jobs_.jobs().Commit(cmdLocalAttributes, false);
    TOKRightDlg1 dialog(&context_.window, context_.language, context_.panels.selected().attributes);
    context_.switchKey.holdWhileOpen(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        for (const int row : model.markedRows())
            if (model.recordAt(row) != nullptr)
                model.setMarked(row, false);
        if (entries) // none when only "[..]" was marked
            context_.gate.report(context_.engine.localCommands().post(cmd::LocalAttributes{
                origin, dialog.readOnly(), std::make_shared<const JobQueue>(std::move(*entries))}));
    } else {
        model.setMarked(context_.panels.selected().row, false);
    }
    active.repaint();
    context_.panels.ShowSelectionInfo();
}

void FileCommands::openChmodDialog() {
    auto* dialog = new TOKRightDlg(&context_.window, context_.language,
                                   static_cast<unsigned>(context_.panels.selected().mode),
                                   [this](unsigned bits) { return postChmod(bits); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::rejected, this, [this] {
        PanelController& active = context_.panels.active();
        active.model().setMarked(context_.panels.selected().row, false);
        active.repaint();
        context_.panels.ShowSelectionInfo();
    });
    context_.switchKey.holdWhileOpen(dialog);
    dialog->show();
}

bool FileCommands::postChmod(unsigned bits) {
    const int ftpPanel = context_.engine.session().FtpPanel;
    if (ftpPanel == 0)
        return true; // nothing to change: the dialog just closes
    // While a command runs the change waits in the dialog: nothing is posted over it.
    if (!context_.gate.take())
        return false;
    if (!context_.engine.remoteCommands().idle()) {
        context_.gate.refuse(Refusal::CommandsWaiting);
        return false;
    }
    PanelController& shown = context_.panels.panel(sideOf(ftpPanel));
    jobs_.queueMarked(shown, "");
    if (std::optional<JobQueue> queue = jobs_.jobs().Commit(cmdChmod, false))
        jobs_.post(context_.engine.remoteCommands(), cmd::Chmod{shown.origin(), bits, {}},
                   std::move(queue));
    return true;
}
