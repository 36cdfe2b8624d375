// The main window's transfers: F5, the Copy button and row drops between the FTP panel and a
// local one, save as, and F4 with the re-upload of saved edit copies.
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/posix/path.h"
#include "settings/editor_setting.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QToolButton>

namespace listing = tarvo::listing;

void TForm1::connectTransferCommands() {
    connectAction(
        "Edytuj2", [this] { SpeedButton12Click(); }, QKeySequence(Qt::Key_F4));
    connectAction(
        "Zapiszjako1", [this] { Zapiszjako1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
    // The tree commands write paths into the console; their menu items stay hidden.
    connectAction("DrzewoFTP1", [this] {
        if (panelsTakeCommand())
            reportPost(engine_->remoteCommands().post(cmd::RemoteTree{}));
    });
    connectAction("DrzewoLokalne1", [this] {
        if (panelsTakeCommand())
            reportPost(engine_->localCommands().post(cmd::LocalTree{ActivePanel}));
    });
    SpeedButton12->setEnabled(true);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm1::SpeedButton12Click);
}

void TForm1::postTransfer(PanelSide source) {
    PanelController& from = panel(source);
    const RowOrigin origin = from.origin();
    // The folder the other panel shows is where the files go, on the server as locally.
    const RowOrigin target = panel(otherSide(source)).origin();
    queueMarked(from, target.Folder);
    if (sessionShownIn(source))
        postJob(engine_->remoteCommands(), cmd::Download{origin, target, {}},
                Jobs.Commit(cmdDownload, false));
    else
        postJob(engine_->remoteCommands(), cmd::Upload{origin, target, {}},
                Jobs.Commit(cmdUpload, false));
}

void TForm1::Zapiszjako1Click() {
    if (!panelsTakeCommand() || engine_->session().FtpPanel != ActivePanel ||
        (SelectedAttr & listing::Directory) != 0 || SelectedName.empty())
        return;
    // The file under the cursor when asked is the one saved, whatever shows by the answer.
    const RowOrigin origin = activePanel().origin();
    const std::string name = SelectedName;
    const std::uint64_t size = SelectedSize;
    const QString chosen = QFileDialog::getSaveFileName(
        this, QString::fromStdString(Translate("SaveAs")),
        QString::fromStdString(
            joinPath(panel(otherSide(sideOf(ActivePanel))).origin().Folder, name)));
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    Jobs.AddItem({origin.Folder, folderOf(path), name, false, false, -1, 0, size});
    postJob(engine_->remoteCommands(), cmd::SaveAs{origin, nameOf(path), {}},
            Jobs.Commit(cmdSaveAs, false));
}

void TForm1::SpeedButton12Click() {
    if (!panelsTakeCommand() || (SelectedAttr & listing::Directory) != 0 || SelectedName.empty())
        return;
    const RowOrigin origin = activePanel().origin();
    if (!origin.remote()) {
        startEditor(joinPath(origin.Folder, SelectedName));
        return;
    }
    Jobs.AddItem({origin.Folder, {}, SelectedName, false, false, -1, 0, SelectedSize});
    postJob(engine_->remoteCommands(), cmd::EditRemote{origin, Edit2->text().toStdString(), {}},
            Jobs.Commit(cmdEditRemote, false));
}

void TForm1::openInEditor(std::string path) {
    bridge.post([this, path = std::move(path)] { startEditor(path); });
}

void TForm1::startEditor(const std::string& path) {
    if (EditorPath.empty() || EditorPath == kDefaultEditor)
        desktopTools().editText(QString::fromStdString(path));
    else
        desktopTools().startProgram(QString::fromStdString(EditorPath),
                                    {QString::fromStdString(path)});
}
