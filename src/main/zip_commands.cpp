#include "main/zip_commands.h"

#include "app/coalesced_text.h"
#include "app/engine.h"
#include "local/zip_jobs/archive_paths.h"
#include "main/command_gate.h"
#include "main/panel_controller.h"
#include "main/panel_icons.h"
#include "main/panel_pair.h"
#include "main/progress_strip.h"
#include "main/zip_view_dialog.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "platform/ui_bridge.h"

#include <QApplication>

#include <sys/stat.h>

ZipCommands::ZipCommands(const WindowContext& context, ProgressStrip& strip, PanelIcons& icons)
    : context_(context), strip_(strip), icons_(icons) {
    zipStatus_ = std::make_unique<CoalescedText>(context_.bridge, [this](const std::string& text) {
        strip_.showStatusItem(QString::fromStdString(text));
    });
    context_.connectAction(this, "Zip1", [this] { Zip1Click(); });
    context_.connectAction(this, "UnZip1", [this] { UnZip1Click(); });
    context_.connectAction(this, "Zipview1", [this] { Zipview1Click(); });
}

ZipCommands::~ZipCommands() = default;

bool ZipCommands::busy(PanelSide side) const {
    const auto& worker = ZipWorkers[static_cast<std::size_t>(panelNumber(side) - 1)];
    return worker && worker->Busy();
}

bool ZipCommands::running() const {
    return busy(PanelSide::Left) || busy(PanelSide::Right);
}

void ZipCommands::Zip1Click() {
    if (!context_.gate.take())
        return;
    const PanelSide side = context_.panels.activeSide();
    if (context_.engine.sessionShownIn(side) || busy(side))
        return;
    PanelController& source = context_.panels.panel(side);
    PanelModel& model = source.model();
    model.markCurrentIfNoneMarked(model.currentRow());
    source.repaint();

    ZipJob job;
    job.JobKind = ZipJob::Kind::Pack;
    job.Side = side;
    job.Folder = source.origin().Folder; // where the marked rows were listed
    for (const int row : model.markedRows())
        if (const auto* record = model.recordAt(row))
            job.Items.push_back({record->Name, row});
    if (job.Items.empty())
        return; // "[..]" alone: nothing to pack

    ArchivePath = proposedArchivePath(job.Folder);
    const auto typed = context_.messages.askText(context_.translate("Pack"),
                                                 context_.translate("ArchiveName"), ArchivePath);
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

const tarvo::listing::SearchRecord* ZipCommands::currentArchiveCandidate() {
    if (!context_.gate.take())
        return nullptr;
    const PanelSide side = context_.panels.activeSide();
    if (context_.engine.sessionShownIn(side))
        return nullptr;
    const PanelModel& model = context_.panels.panel(side).model();
    const int row = model.currentRow();
    return model.kindOf(row) == PanelModel::RowKind::File ? model.recordAt(row) : nullptr;
}

void ZipCommands::UnZip1Click() {
    const auto* record = currentArchiveCandidate();
    // An empty file is no archive either.
    if (record == nullptr || record->Size == 0)
        return;
    const PanelSide side = context_.panels.activeSide();
    promptUnpack(side, joinPath(context_.panels.panel(side).origin().Folder, record->Name),
                 std::nullopt, nullptr);
}

void ZipCommands::promptUnpack(PanelSide side, const std::string& archive,
                               std::optional<std::vector<int>> selection, TOKRightDlg1234* viewer,
                               std::optional<tarvo::zip::FileStamp> listed) {
    if (busy(side))
        return;
    const std::string folder = folderOf(archive);
    ArchivePath = archive;
    UnpackFolder = joinPath(folder, "");
    const auto typed = context_.messages.askText(context_.translate("Unpack"),
                                                 context_.translate("UnpackTo"), UnpackFolder);
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

void ZipCommands::Zipview1Click() {
    const auto* record = currentArchiveCandidate();
    if (record == nullptr)
        return;
    const PanelSide side = context_.panels.activeSide();
    ZipViewEnvironment environment;
    environment.translate = [this](const std::string& key) { return context_.translate(key); };
    environment.icon = [this](const QString& rowText) -> QIcon {
        return icons_.image(PanelIcons::archiveRowImage(rowText));
    };
    auto* viewer = new TOKRightDlg1234(
        &context_.window, joinPath(context_.panels.panel(side).origin().Folder, record->Name),
        std::move(environment));
    connect(viewer, &TOKRightDlg1234::unpackRequested, this,
            [this, viewer, side] { viewerUnpack(*viewer, side); });
    viewer->show();
}

void ZipCommands::viewerUnpack(TOKRightDlg1234& viewer, PanelSide side) {
    // Another command runs: its end would give the panels back under this job.
    if (!context_.gate.take())
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

void ZipCommands::startZipJob(ZipJob job, TOKRightDlg1234* viewer) {
    // Checked again: the prompt before it let other events through.
    if (!context_.gate.take() || busy(job.Side))
        return;
    auto& worker = ZipWorkers[static_cast<std::size_t>(panelNumber(job.Side) - 1)];
    worker.reset(); // the panel's last job, ended: joined and gone
    context_.panels.setEnabled(false);
    strip_.archiveJobStarted();
    zipViewer_ = viewer;
    worker = std::make_unique<ZipThread>(std::move(job), static_cast<ZipJobHost&>(*this));
}

void ZipCommands::cancelPacking() {
    for (const auto& worker : ZipWorkers)
        if (worker)
            worker->cancel();
}

void ZipCommands::stop() {
    for (const auto& worker : ZipWorkers)
        if (worker)
            worker->stop();
}

void ZipCommands::setZipState(int state) {
    strip_.setArchiveState(state);
}

void ZipCommands::showZipStatus(std::string text) {
    zipStatus_->set(std::move(text));
}

void ZipCommands::packedRow(PanelSide side, const ZipPackItem& item) {
    context_.bridge.post(
        [this, side, item] { context_.panels.clearRowMark(side, item.Row, item.Name); });
}

void ZipCommands::unpackedEntry(int index) {
    context_.bridge.post([this, index] {
        if (zipViewer_)
            zipViewer_->clearEntryMark(index);
    });
}

void ZipCommands::rereadPanels() {
    for (const PanelSide side : {PanelSide::Right, PanelSide::Left}) {
        if (context_.engine.sessionShownIn(side))
            continue;
        LocalExplorer& reader = context_.engine.explorer(side);
        reader.ReadDir(reader.GetPath(), true);
        reader.FillGrid();
    }
}

bool ZipCommands::postPanelRefresh() {
    return taken(context_.engine.remoteCommands().post(cmd::RefreshPanels{}));
}

void ZipCommands::beep() {
    context_.bridge.post([] { QApplication::beep(); });
}

void ZipCommands::zipJobEnded() {
    context_.bridge.post([this] {
        zipStatus_->flush();
        zipViewer_ = nullptr;
        strip_.archiveJobEnded();
        context_.panels.setEnabled(true);
        context_.panels.focusActiveGrid();
    });
}
