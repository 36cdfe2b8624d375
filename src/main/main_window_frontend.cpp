// What the engine asks of the screen, from any thread: each request is carried to the GUI
// thread over the bridge, in the order of the calls, and handed to the part of the window that
// shows it.
#include "main/main_window.h"

#include "main/command_holds.h"
#include "main/connection_commands.h"
#include "main/console_pane.h"
#include "main/drive_boxes.h"
#include "main/editor_program.h"
#include "main/file_jobs.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/widget_helpers.h"
#include "main/window_tray.h"

#include <QComboBox>
#include <QThread>

MessageService& TForm1::messages() {
    return *messages_;
}

void TForm1::setPanelsEnabled(bool enabled) {
    bridge.post([this, enabled] { panels_->setEnabledKeepingFocus(enabled); });
}

void TForm1::showPanel(PanelSide side, PanelView view) {
    bridge.post([this, side, view = std::move(view)] {
        if (!engine_->viewIsCurrent(side, view))
            return;
        panel(side).applyView(view);
        drives_->syncDriveBox(side);
    });
}

void TForm1::clearMarks(PanelSide side) {
    bridge.post([this, side] { panel(side).clearMarks(); });
}

void TForm1::openDocument(std::string path) {
    bridge.post([this, path = std::move(path)] { desktop_.open(path); });
}

void TForm1::openInEditor(std::string path) {
    bridge.post([this, path = std::move(path)] { editor_->open(path); });
}

void TForm1::localFoldersChanged() {
    bridge.post([this] { drives_->refreshBothPanels(); });
}

void TForm1::addToHistory(PanelSide side, std::string entry) {
    engine_->navigation().recordVisit(side, entry);
}

void TForm1::jobEnded(const std::shared_ptr<Job>& job, int finishKind) {
    bridge.post([this, job, finishKind] { fileJobs_->end(job, finishKind); });
}

void TForm1::showCurrentFile(std::string text) {
    bridge.post(
        [this, text = std::move(text)] { strip_->showCurrentFile(QString::fromStdString(text)); });
}

void TForm1::unmarkRow(PanelSide side, int row, std::string name) {
    bridge.post(
        [this, side, row, name = std::move(name)] { panels_->clearRowMark(side, row, name); });
}

void TForm1::appendConsole(std::string line) {
    bridge.post(
        [this, line = std::move(line)] { console_->appendItem(QString::fromStdString(line)); });
}

void TForm1::showSession(SessionView session) {
    bridge.post([this, session = std::move(session)] {
        PanelController& shown = panel(session.Side);
        LocalExplorer& local = engine_->explorer(session.Side);
        shown.widgets().driveBox->setVisible(!session.Connected);
        const QString title = QString::fromStdString(session.Title);
        strip_->setRestingTitle(title);
        setWindowTitle(title);
        tray_->setToolTip(plainToolTip(
            QString::fromStdString(session.Connected ? session.Site : "Tarvo Manager")));
        connection_->showConnected(session.Connected);
        holds_->UpdateMenusForPanel(panels_->activeNumber());
        if (session.Connected)
            return;
        strip_->sessionWaitsEnded();
        // The remote rows go at once; the local folder follows when the worker has read it.
        PanelView empty;
        empty.Listing = std::make_shared<tarvo::listing::DirectoryListing>();
        empty.FolderChanged = true;
        empty.Path = local.GetPath();
        empty.PathLabel = empty.Path;
        shown.applyView(empty);
    });
}

void TForm1::serverWait(bool waiting) {
    bridge.post([this, waiting] { strip_->serverWait(waiting); });
}

void TForm1::completeProgress() {
    bridge.post([this] { strip_->CompleteProgress(); });
}

void TForm1::commandRefused(Refusal why) {
    // The window's own refusals show at once; a worker's come in order with its other posts.
    if (QThread::currentThread() == thread())
        strip_->showRefusal(why);
    else
        bridge.post([this, why] { strip_->showRefusal(why); });
}

void TForm1::commandsSettled() {
    bridge.post([this] { strip_->clearSettledRefusal(); });
}
