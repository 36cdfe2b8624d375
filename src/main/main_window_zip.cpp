// Zip jobs and the archive viewer: the pack, unpack and view commands, and what the jobs ask of
// the screen while they run on their own threads.
#include "app/coalesced_text.h"
#include "local/zip_jobs/archive_paths.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_numbers.h"
#include "main/zip_view_dialog.h"
#include "platform/posix/path.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

} // namespace

void TForm1::connectZipCommands() {
    zipStatus_ = std::make_unique<CoalescedText>(
        bridge, [this](const std::string& text) { showStatusItem(QString::fromStdString(text)); });
    connectAction("Zip1", [this] { Zip1Click(); });
    connectAction("UnZip1", [this] { UnZip1Click(); });
    connectAction("Zipview1", [this] { Zipview1Click(); });
}

bool TForm1::zipBusy(PanelSide side) const {
    const auto& worker = ZipWorkers[static_cast<std::size_t>(panelNumber(side) - 1)];
    return worker && worker->Busy();
}

bool TForm1::zipJobRunning() const {
    return zipBusy(PanelSide::Left) || zipBusy(PanelSide::Right);
}

void TForm1::Zip1Click() {
    if (!panelsTakeCommand())
        return;
    const PanelSide side = sideOf(ActivePanel);
    if (sessionShownIn(side) || zipBusy(side))
        return;
    PanelController& source = panel(side);
    PanelModel& model = source.model();
    model.markCurrentIfNoneMarked(model.currentRow());
    source.repaint();

    ZipJob job;
    job.JobKind = ZipJob::Kind::Pack;
    job.Side = side;
    job.Folder = explorer(side).GetPath();
    for (const int row : model.markedRows())
        if (const auto* record = model.recordAt(row))
            job.Items.push_back({record->Name, row});
    if (job.Items.empty())
        return; // "[..]" alone: nothing to pack

    ArchivePath = proposedArchivePath(job.Folder);
    const auto typed = messages().askText(Translate("Pack"), Translate("ArchiveName"), ArchivePath);
    if (!typed || typed->empty())
        return;
    ArchivePath = resolveTypedPath(job.Folder, *typed);
    // The archive itself is marked: it cannot be packed into itself.
    for (const ZipPackItem& item : job.Items)
        if (resolveTypedPath(job.Folder, item.Name) == ArchivePath)
            return;
    job.ArchivePath = ArchivePath;
    startZipJob(std::move(job));
}

const tarvo::listing::SearchRecord* TForm1::currentArchiveCandidate() {
    if (!panelsTakeCommand())
        return nullptr;
    const PanelSide side = sideOf(ActivePanel);
    if (sessionShownIn(side))
        return nullptr;
    const PanelModel& model = panel(side).model();
    const int row = model.currentRow();
    return model.kindOf(row) == PanelModel::RowKind::File ? model.recordAt(row) : nullptr;
}

void TForm1::UnZip1Click() {
    const auto* record = currentArchiveCandidate();
    // An empty file is no archive either.
    if (record == nullptr || record->Size == 0)
        return;
    const PanelSide side = sideOf(ActivePanel);
    promptUnpack(side, joinPath(explorer(side).GetPath(), record->Name), std::nullopt, nullptr);
}

void TForm1::promptUnpack(PanelSide side, const std::string& archive,
                          std::optional<std::vector<int>> selection, TOKRightDlg1234* viewer,
                          std::optional<tarvo::zip::FileStamp> listed) {
    if (zipBusy(side))
        return;
    const std::string folder = folderOf(archive);
    ArchivePath = archive;
    UnpackFolder = joinPath(folder, "");
    const auto typed = messages().askText(Translate("Unpack"), Translate("UnpackTo"), UnpackFolder);
    if (!typed)
        return;
    UnpackFolder = resolveTypedFolder(folder, *typed);
    ZipJob job;
    job.JobKind = ZipJob::Kind::Unpack;
    job.Side = side;
    job.Folder = folder;
    job.ArchivePath = ArchivePath;
    job.UnpackFolder = UnpackFolder;
    job.Selection = std::move(selection);
    job.ListedArchive = listed;
    startZipJob(std::move(job), viewer);
}

void TForm1::Zipview1Click() {
    const auto* record = currentArchiveCandidate();
    if (record == nullptr)
        return;
    const PanelSide side = sideOf(ActivePanel);
    ZipViewEnvironment environment;
    environment.translate = [this](const std::string& key) { return Translate(key); };
    environment.icon = [this](const QString& rowText) -> QIcon {
        return icons_.image(PanelIcons::archiveRowImage(rowText));
    };
    auto* viewer = new TOKRightDlg1234(this, joinPath(explorer(side).GetPath(), record->Name),
                                       std::move(environment));
    connect(viewer, &TOKRightDlg1234::unpackRequested, this,
            [this, viewer, side] { viewerUnpack(*viewer, side); });
    viewer->show();
}

void TForm1::viewerUnpack(TOKRightDlg1234& viewer, PanelSide side) {
    // Another command runs: its end would give the panels back under this job.
    if (!panelsTakeCommand())
        return;
    const auto listed = viewer.listedArchive();
    std::vector<int> marked = viewer.markedEntries();
    if (!marked.empty()) {
        promptUnpack(side, viewer.archivePath(), std::move(marked), &viewer, listed);
        return;
    }
    // Nothing marked: the unpack command, for the archive this viewer shows; an empty file is
    // no archive. One that is gone is told by the unpack.
    struct stat archive {};
    if (::stat(viewer.archivePath().c_str(), &archive) == 0 && archive.st_size == 0)
        return;
    promptUnpack(side, viewer.archivePath(), std::nullopt, nullptr, listed);
}

void TForm1::startZipJob(ZipJob job, TOKRightDlg1234* viewer) {
    // Checked again: the prompt before it let other events through.
    if (!panelsTakeCommand() || zipBusy(job.Side))
        return;
    auto& worker = ZipWorkers[static_cast<std::size_t>(panelNumber(job.Side) - 1)];
    worker.reset(); // the panel's last job, ended: joined and gone
    Panel5->setEnabled(false);
    Panel2->setEnabled(false);
    SpeedButton24->show();
    setZipState(1);
    zipViewer_ = viewer;
    worker = std::make_unique<ZipThread>(std::move(job), static_cast<ZipJobHost&>(*this));
}

void TForm1::cancelZipPacking() {
    for (const auto& worker : ZipWorkers)
        if (worker)
            worker->cancel();
}

void TForm1::stopZipJobs() {
    for (const auto& worker : ZipWorkers)
        if (worker)
            worker->stop();
}

void TForm1::setZipState(int state) {
    ZipState = state;
    // A tick that saw a question's -1 stopped the timer: the job going on starts it again.
    if (state > 0)
        bridge.post([this] { Timer2->start(); });
}

void TForm1::showZipStatus(std::string text) {
    zipStatus_->set(std::move(text));
}

void TForm1::packedRow(PanelSide side, const ZipPackItem& item) {
    unmarkRow(side, item.Row, item.Name);
}

void TForm1::unpackedEntry(int index) {
    bridge.post([this, index] {
        if (zipViewer_)
            zipViewer_->clearEntryMark(index);
    });
}

void TForm1::rereadPanels() {
    for (const PanelSide side : {PanelSide::Right, PanelSide::Left}) {
        if (sessionShownIn(side))
            continue;
        LocalExplorer& reader = explorer(side);
        reader.ReadDir(reader.GetPath(), true);
        reader.FillGrid();
    }
}

bool TForm1::postPanelRefresh() {
    return taken(engine_->remoteCommands().post(cmd::RefreshPanels{}));
}

void TForm1::beep() {
    bridge.post([] { QApplication::beep(); });
}

void TForm1::zipJobEnded() {
    bridge.post([this] {
        zipStatus_->flush();
        zipViewer_ = nullptr;
        SpeedButton24->hide();
        Panel5->setEnabled(true);
        Panel2->setEnabled(true);
        activePanel().grid().setFocus();
    });
}
