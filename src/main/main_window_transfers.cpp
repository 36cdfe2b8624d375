// The main window's transfers: F5, the Copy button and row drops between the FTP panel and a
// local one, save as, and F4 with the re-upload of saved edit copies.
#include "ftp/transfer_batch.h"
#include "main/job_frame.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "settings/editor_setting.h"
#include "workers/command_codes.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QToolButton>

#include <unistd.h>

namespace listing = tarvo::listing;

void TForm1::connectTransferCommands() {
    connectAction(
        "Edytuj2", [this] { SpeedButton12Click(); }, QKeySequence(Qt::Key_F4));
    connectAction(
        "Zapiszjako1", [this] { Zapiszjako1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
    // The tree commands write paths into the console; their menu items stay hidden.
    connectAction("DrzewoFTP1", [this] {
        if (panelsIdle())
            RemoteCommand.post(cmdRemoteTree, commandParams());
    });
    connectAction("DrzewoLokalne1", [this] {
        if (panelsIdle())
            LocalCommand.post(cmdLocalTree, commandParams());
    });
    RemoteWorker->setHandler(cmdRemoteTree,
                             [this](const CommandParams&) { FtpSession->Tree("/"); });
    LocalWorker->setHandler(cmdLocalTree, [this](const CommandParams& params) {
        LocalExplorer& other = explorer(otherSide(sideOf(params.ActivePanel)));
        other.Tree(other.GetPath());
    });
    SpeedButton12->setEnabled(true);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm1::SpeedButton12Click);

    const auto batchHandler = [this](bool download) {
        return [this, download](const CommandParams& params) {
            const JobFrame frame(*this, params.job); // ends it quietly should anything throw
            const OperationTexts texts = operationTexts();
            const TransferBatch batch{*FtpSession, *this, *params.job, sideOf(params.ActivePanel),
                                      download ? texts.DownloadingText : texts.UploadingText};
            jobEnded(params.job, download ? downloadMarked(batch, *params.queue,
                                                           explorer(sideOf(params.TargetPanel)))
                                          : uploadMarked(batch, *params.queue));
        };
    };
    RemoteWorker->setHandler(cmdDownload, batchHandler(true));
    RemoteWorker->setHandler(cmdUpload, batchHandler(false));
    RemoteWorker->setHandler(cmdSaveAs, [this](const CommandParams& params) {
        const JobFrame frame(*this, params.job);
        FTPCom& session = *FtpSession;
        const MarkDomain& entry = params.queue->Items.front();
        int result = 0;
        {
            const BatchScope scope(session, params.job.get(), operationTexts().DownloadingText);
            session.DownloadAnswer = 0;
            result = session.get(entry.Target, params.NewName, joinPath(entry.Source, entry.Name),
                                 entry.Size);
        }
        jobEnded(params.job, result > -1 ? 1 : JobFrame::kQuietFinish);
    });
    RemoteWorker->setHandler(cmdEditRemote,
                             [this](const CommandParams& params) { editRemoteFile(params); });
}

void TForm1::postTransfer(PanelSide source) {
    const bool download = sessionShownIn(source);
    PanelController& from = panel(source);
    const std::string target =
        download ? explorer(otherSide(source)).GetPath() : FtpSession->currentDir();
    queueMarked(from, target);
    CommandParams params = commandParams();
    params.ActivePanel = panelNumber(source);
    params.TargetPanel = panelNumber(otherSide(source));
    const int code = download ? cmdDownload : cmdUpload;
    postJob(RemoteCommand, code, std::move(params), Jobs.Commit(code, false));
}

void TForm1::Zapiszjako1Click() {
    if (!panelsIdle() || FtpSession->FtpPanel != ActivePanel ||
        (SelectedAttr & listing::Directory) != 0 || SelectedName.empty())
        return;
    const QString chosen = QFileDialog::getSaveFileName(
        this, QString::fromStdString(Translate("SaveAs")),
        QString::fromStdString(
            joinPath(explorer(otherSide(sideOf(ActivePanel))).GetPath(), SelectedName)));
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    CommandParams params = commandParams();
    params.NewName = nameOf(path);
    Jobs.AddItem({FtpSession->currentDir(), folderOf(path), SelectedName, false, false, -1, 0,
                  SelectedSize});
    postJob(RemoteCommand, cmdSaveAs, std::move(params), Jobs.Commit(cmdSaveAs, false));
}

void TForm1::SpeedButton12Click() {
    if (!panelsIdle() || (SelectedAttr & listing::Directory) != 0 || SelectedName.empty())
        return;
    const PanelSide side = sideOf(ActivePanel);
    if (!sessionShownIn(side)) {
        startEditor(joinPath(explorer(side).GetPath(), SelectedName));
        return;
    }
    CommandParams params = commandParams();
    params.NewName = Edit2->text().toStdString(); // the site, for the copy's name
    Jobs.AddItem({FtpSession->currentDir(), {}, SelectedName, false, false, -1, 0, SelectedSize});
    postJob(RemoteCommand, cmdEditRemote, std::move(params), Jobs.Commit(cmdEditRemote, false));
}

void TForm1::editRemoteFile(const CommandParams& params) {
    const JobFrame frame(*this, params.job);
    FTPCom& session = *FtpSession;
    const MarkDomain& entry = params.queue->Items.front();
    int kind = JobFrame::kQuietFinish;
    const auto copy =
        EditedFiles.createCopy(joinPath(programFolder(), "TempFiles"), params.NewName, entry.Name);
    if (!copy) {
        messages().show({"Tarvo Manager", "Unable to open local file", MessageButton::Ok,
                         MessageIcon::Information});
        jobEnded(params.job, kind);
        return;
    }
    const std::string remote = joinPath(entry.Source, entry.Name);
    int result = 0;
    {
        const BatchScope scope(session, params.job.get(), operationTexts().DownloadingText);
        session.DownloadAnswer = 0;
        session.EditDownload = true;
        result = session.get(folderOf(*copy), nameOf(*copy), remote, entry.Size);
        session.EditDownload = false;
    }
    const auto stamp = stampOf(*copy);
    if (result == 1 && session.DownloadAnswer != 2 && session.FtpPanel > 0 && stamp) {
        // Stamped before the editor starts: a quick first save is still a change.
        EditedFiles.add({true, remote, *copy, session.serverIdentity(), *stamp, *stamp});
        bridge.post([this, path = *copy] { startEditor(path); });
        kind = session.DownloadAnswer;
    } else {
        // No editor for a copy that is not the remote file: it goes, with what a failed
        // download left of it.
        ::unlink(copy->c_str());
        ::unlink((*copy + ".part").c_str());
    }
    jobEnded(params.job, kind);
}

void TForm1::startEditor(const std::string& path) {
    if (EditorPath.empty() || EditorPath == kDefaultEditor)
        desktopTools().editText(QString::fromStdString(path));
    else
        desktopTools().startProgram(QString::fromStdString(EditorPath),
                                    {QString::fromStdString(path)});
}

void TForm1::CheckEditedFiles() {
    EditedFiles.check(*FtpSession, *this, language_);
}
