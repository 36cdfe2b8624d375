#include "main/transfer_commands.h"

#include "app/engine.h"
#include "main/command_gate.h"
#include "main/connect_bar.h"
#include "main/editor_program.h"
#include "main/file_jobs.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/posix/path.h"

#include <QFileDialog>

namespace listing = tarvo::listing;

TransferCommands::TransferCommands(const WindowContext& context, FileJobs& jobs,
                                   EditorProgram& editor, const ConnectBar& bar)
    : context_(context), jobs_(jobs), editor_(editor), bar_(bar) {
    context_.connectAction(
        this, "Edytuj2", [this] { SpeedButton12Click(); }, QKeySequence(Qt::Key_F4));
    context_.connectAction(
        this, "Zapiszjako1", [this] { Zapiszjako1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
    // The tree commands write paths into the console; their menu items stay hidden.
    context_.connectAction(this, "DrzewoFTP1", [this] {
        if (context_.gate.take())
            context_.gate.report(context_.engine.remoteCommands().post(cmd::RemoteTree{}));
    });
    context_.connectAction(this, "DrzewoLokalne1", [this] {
        if (context_.gate.take())
            context_.gate.report(context_.engine.localCommands().post(
                cmd::LocalTree{context_.panels.activeNumber()}));
    });
    context_.connectButton(this, "SpeedButton12", [this] { SpeedButton12Click(); });
}

void TransferCommands::postTransfer(PanelSide source) {
    PanelController& from = context_.panels.panel(source);
    const RowOrigin origin = from.origin();
    // The folder the other panel shows is where the files go, on the server as locally.
    const RowOrigin target = context_.panels.panel(otherSide(source)).origin();
    jobs_.queueMarked(from, target.Folder);
    if (context_.engine.sessionShownIn(source))
        jobs_.post(context_.engine.remoteCommands(), cmd::Download{origin, target, {}},
                   jobs_.jobs().Commit(cmdDownload, false));
    else
        jobs_.post(context_.engine.remoteCommands(), cmd::Upload{origin, target, {}},
                   jobs_.jobs().Commit(cmdUpload, false));
}

void TransferCommands::Zapiszjako1Click() {
    if (!context_.gate.take() ||
        context_.engine.session().FtpPanel != context_.panels.activeNumber() ||
        (context_.panels.selected().attributes & listing::Directory) != 0 ||
        context_.panels.selected().name.empty())
        return;
    // The file under the cursor when asked is the one saved, whatever shows by the answer.
    const RowOrigin origin = context_.panels.active().origin();
    const std::string name = context_.panels.selected().name;
    const std::uint64_t size = context_.panels.selected().size;
    const QString chosen = QFileDialog::getSaveFileName(
        &context_.window, QString::fromStdString(context_.translate("SaveAs")),
        QString::fromStdString(joinPath(
            context_.panels.panel(otherSide(context_.panels.activeSide())).origin().Folder, name)));
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    jobs_.jobs().AddItem({origin.Folder, folderOf(path), name, false, false, -1, 0, size});
    jobs_.post(context_.engine.remoteCommands(), cmd::SaveAs{origin, nameOf(path), {}},
               jobs_.jobs().Commit(cmdSaveAs, false));
}

void TransferCommands::SpeedButton12Click() {
    if (!context_.gate.take() || (context_.panels.selected().attributes & listing::Directory) != 0 ||
        context_.panels.selected().name.empty())
        return;
    const RowOrigin origin = context_.panels.active().origin();
    if (!origin.remote()) {
        editor_.open(joinPath(origin.Folder, context_.panels.selected().name));
        return;
    }
    jobs_.jobs().AddItem({origin.Folder,
                          {},
                          context_.panels.selected().name,
                          false,
                          false,
                          -1,
                          0,
                          context_.panels.selected().size});
    jobs_.post(context_.engine.remoteCommands(),
               cmd::EditRemote{origin, bar_.fields().SiteName, {}},
               jobs_.jobs().Commit(cmdEditRemote, false));
}
