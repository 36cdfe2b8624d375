#include "main/main_window.h"

#include "app/engine.h"
#include "local/listing/cell_text.h"
#include "main/app_icon.h"
#include "main/command_gate.h"
#include "main/command_holds.h"
#include "main/connect_bar.h"
#include "main/connection_commands.h"
#include "main/console_pane.h"
#include "main/drive_boxes.h"
#include "main/editor_program.h"
#include "main/file_commands.h"
#include "main/file_jobs.h"
#include "main/folder_commands.h"
#include "main/menu_tree.h"
#include "main/navigator_menus.h"
#include "main/panel_commands.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/qt_message_service.h"
#include "main/shell_tools.h"
#include "main/site_commands.h"
#include "main/startup_error.h"
#include "main/transfer_commands.h"
#include "main/waiting_panel_clicks.h"
#include "main/window_settings.h"
#include "main/window_switch_key.h"
#include "main/window_tray.h"
#include "main/zip_commands.h"
#include "platform/desktop_tools.h"
#include "platform/message_service.h"
#include "platform/termination_signals.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QThread>
#include <QTime>

#include <QToolButton>
#include <iostream>

TForm1::TForm1(MessageServiceFactory makeMessages)
    : desktop_([this](const std::string& path, const std::string& reason) {
          messages().show({"Tarvo Manager", "Could not open \"" + path + "\".\n\n" + reason,
                           MessageButton::Ok, MessageIcon::Information});
      }) {
    setObjectName("Form1");
    setWindowTitle("Tarvo Manager");
    setWindowIcon(appIcon());
    messages_ = makeMessages ? makeMessages(bridge, this)
                             : std::make_unique<QtMessageService>(bridge, this);
    runStartupStep("building the main window", [&] { buildWidgets(); });
    runStartupStep("creating the panels and the FTP session", [&] { createEngine(); });
    runStartupStep("starting the command workers", [&] { startWorkers(); });
    connectCommands();
    ActivateLeftPanel();
}

TForm1::~TForm1() {
    // The workers and the drive watch run handlers that use the members below: they stop first.
    drives_.reset();
    bridge.shutdown();
    if (engine_)
        engine_->session().shutdown();
    if (zip_)
        zip_->stop();
    if (engine_ && engine_->workersStarted()) {
        engine_->remoteWorker().stop();
        engine_->localWorker().stop();
    }
}

MessageService& TForm1::messages() {
    return *messages_;
}

std::string TForm1::Translate(const std::string& key) const {
    return language_.translate(key);
}

PanelController& TForm1::panel(PanelSide side) {
    return panels_->panel(side);
}

void TForm1::ActivateLeftPanel() {
    panels_->activate(PanelSide::Left);
}

Engine& TForm1::engine() {
    return *engine_;
}

WindowSwitchKey& TForm1::windowSwitchKey() {
    return *windowSwitchKey_;
}

DesktopTools& TForm1::desktopTools() {
    return *tools_;
}

const std::string& TForm1::selectedName() const {
    return panels_->selected().name;
}

int TForm1::serverWaitState() const {
    return strip_->serverWaitState();
}

int TForm1::activePanelNumber() const {
    return panels_->activeNumber();
}

void TForm1::activatePanel(PanelSide side) {
    panels_->activate(side);
}

void TForm1::createEngine() {
    engine_ = std::make_unique<Engine>(*this, language_);
    windowSwitchKey_ = std::make_unique<WindowSwitchKey>(findChild<QAction*>("Aktywneokno1"));
    panels_ = std::make_unique<PanelPair>(LeftPanel, RightPanel, *engine_, icons_, language_,
                                          *windowSwitchKey_, [this] { gate_->take(); });
    gate_ = std::make_unique<CommandGate>(
        *panels_, CommandGate::Hooks{[this] { return strip_->jobRunning() || zipJobRunning(); },
                                     [this](Refusal why) { commandRefused(why); }});
    context_.emplace(WindowContext{*this, *engine_, *panels_, *gate_, *messages_, language_, bridge,
                                   *windowSwitchKey_});
}

void TForm1::startWorkers() {
    engine_->startWorkers(
        [this](int code, const std::string& reason) { reportCommandFailure(code, reason); });
}

void TForm1::reportCommandFailure(int code, const std::string& reason) {
    const std::string time =
        tarvo::listing::timeText(QTime::currentTime(), QLocale::system()).toStdString();
    const std::string line =
        "[" + time + "] Status:> App error in command " + std::to_string(code) + ": " + reason;
    std::cerr << "Tarvo Manager: " << line << std::endl;
    appendConsole(line);
    // A command that fails unexpectedly must not leave the panels locked.
    setPanelsEnabled(true);
}

void TForm1::connectCommands() {
    tools_ = new DesktopTools(
        [this](const std::string& text) {
            messages().show({"Tarvo Manager", text, MessageButton::Ok, MessageIcon::Information});
        },
        QDBusConnection::sessionBus(), this);
    context_->connectAction(this, "wyjcie1", [this] { close(); });
    panelCommands_ = std::make_unique<PanelCommands>(*context_);
    settings_ = std::make_unique<WindowSettings>(*context_, *panelCommands_);
    editor_ = std::make_unique<EditorProgram>(*context_, *tools_);
    connectCloseSources();
    connectFileCommands();
    connectFtpCommands();
    drives_ = std::make_unique<DriveBoxes>(*context_);
    folders_ = std::make_unique<FolderCommands>(*context_, *drives_);
    navigator_ = std::make_unique<NavigatorMenus>(*context_, *drives_, *connectBar_, *connection_);
    connectPeripheryCommands();
    zip_ = std::make_unique<ZipCommands>(*context_, *strip_, icons_);
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

void TForm1::addToHistory(PanelSide side, std::string entry) {
    engine_->navigation().recordVisit(side, entry);
}

void TForm1::RebuildFavoritesMenu() {
    navigator_->RebuildFavoritesMenu();
}

void TForm1::localFoldersChanged() {
    bridge.post([this] { drives_->refreshBothPanels(); });
}

void TForm1::openDocument(std::string path) {
    bridge.post([this, path = std::move(path)] { desktop_.open(path); });
}

void TForm1::connectFileCommands() {
    fileJobs_ = std::make_unique<FileJobs>(*context_, *strip_);
    transfers_ = std::make_unique<TransferCommands>(*context_, *fileJobs_, *editor_, *connectBar_);
    files_ = std::make_unique<FileCommands>(*context_, *fileJobs_, *transfers_);
}

void TForm1::jobEnded(const std::shared_ptr<Job>& job, int finishKind) {
    bridge.post([this, job, finishKind] { fileJobs_->end(job, finishKind); });
}

void TForm1::unmarkRow(PanelSide side, int row, std::string name) {
    bridge.post([this, side, row, name = std::move(name)] { panels_->unmarkRow(side, row, name); });
}

void TForm1::openInEditor(std::string path) {
    bridge.post([this, path = std::move(path)] { editor_->open(path); });
}

const std::string& TForm1::editorPath() const {
    return editor_->path();
}

void TForm1::setEditorPath(std::string program) {
    editor_->setPath(std::move(program));
}

void TForm1::showCurrentFile(std::string text) {
    bridge.post(
        [this, text = std::move(text)] { strip_->showCurrentFile(QString::fromStdString(text)); });
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

bool TForm1::zipJobRunning() const {
    return zip_ && zip_->running();
}

void TForm1::appendConsole(std::string line) {
    bridge.post([this, line = std::move(line)] { console_->append(QString::fromStdString(line)); });
}

void TForm1::setLogFileChooser(std::function<QString()> choose) {
    console_->setLogFileChooser(std::move(choose));
}
