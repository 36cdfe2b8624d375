// The main window's construction: its widgets, the engine under it, the panels and the command
// groups, in the order each needs the others; and what it gives its callers.
#include "main/main_window.h"

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
#include "main/icon_toolbar.h"
#include "main/navigator_menus.h"
#include "main/panel_commands.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/qt_message_service.h"
#include "main/shell_tools.h"
#include "main/site_commands.h"
#include "main/startup_databases.h"
#include "main/startup_error.h"
#include "main/transfer_commands.h"
#include "main/window_settings.h"
#include "main/window_tray.h"
#include "main/zip_commands.h"
#include "platform/message_service.h"
#include "platform/termination_signals.h"

#include <QAction>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QTime>

#include <iostream>

TForm1::TForm1(MessageServiceFactory makeMessages)
    : desktop_([this](const std::string& path, const std::string& reason) {
          messages().show({"Tarvo Manager", "Could not open \"" + path + "\".\n\n" + reason,
                           MessageButton::Ok, MessageIcon::Information});
      }) {
    setObjectName("Form1");
    setWindowTitle("Tarvo Manager");
    messages_ = makeMessages ? makeMessages(bridge, this)
                             : std::make_unique<QtMessageService>(bridge, this);
    PanelWidgets left;
    PanelWidgets right;
    {
        StartupDatabases databases(IconToolbar::firstThemeIcon());
        setWindowIcon(appIcon());
        runStartupStep("building the main window", [&] { buildWidgets(left, right, databases); });
    }
    runStartupStep("creating the panels and the FTP session", [&] { createEngine(left, right); });
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

void TForm1::createEngine(const PanelWidgets& left, const PanelWidgets& right) {
    engine_ = std::make_unique<Engine>(*this, language_);
    windowSwitchKey_ = std::make_unique<WindowSwitchKey>(findChild<QAction*>("Aktywneokno1"));
    panels_ = std::make_unique<PanelPair>(left, right, *engine_, icons_, language_,
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
    const WindowContext& context = *context_;
    tools_ = new DesktopTools(
        [this](const std::string& text) {
            messages().show({"Tarvo Manager", text, MessageButton::Ok, MessageIcon::Information});
        },
        QDBusConnection::sessionBus(), this);
    context.connectAction(this, "wyjcie1", [this] { close(); });
    panelCommands_ = std::make_unique<PanelCommands>(context);
    settings_ = std::make_unique<WindowSettings>(context, *panelCommands_);
    editor_ = std::make_unique<EditorProgram>(context, *tools_);
    connectCloseSources();

    fileJobs_ = std::make_unique<FileJobs>(context, *strip_);
    transfers_ = std::make_unique<TransferCommands>(context, *fileJobs_, *editor_, *connectBar_);
    files_ = std::make_unique<FileCommands>(context, *fileJobs_, *transfers_);

    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).setSession(engine_->session());
    connection_ = std::make_unique<ConnectionCommands>(context, *connectBar_, *console_);
    context.connectAction(
        this, "Filtry1", [this] { console_->Filtry1Click(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    context.connectAction(
        this, "Czyoknokonsoli1", [this] { console_->clear(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    sites_ = std::make_unique<SiteCommands>(context, *connectBar_);

    drives_ = std::make_unique<DriveBoxes>(context);
    folders_ = std::make_unique<FolderCommands>(context, *drives_);
    navigator_ = std::make_unique<NavigatorMenus>(context, *drives_, *connectBar_, *connection_);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    ApplicationEvents1Activate();
            });
    tray_ = std::make_unique<WindowTray>(context);
    context.connectAction(this, "Jzyk1", [this] { Jzyk1Click(); });
    context.connectAction(this, "About1", [this] { About1Click(); });
    shell_ = std::make_unique<ShellTools>(context, *tools_, desktop_);
    holds_ = std::make_unique<CommandHolds>(context, *shell_);
    zip_ = std::make_unique<ZipCommands>(context, *strip_, icons_);
}

PanelController& TForm1::panel(PanelSide side) {
    return panels_->panel(side);
}

void TForm1::ActivateLeftPanel() {
    panels_->activate(PanelSide::Left);
}

void TForm1::activatePanel(PanelSide side) {
    panels_->activate(side);
}

int TForm1::activePanelNumber() const {
    return panels_->activeNumber();
}

const std::string& TForm1::selectedName() const {
    return panels_->selected().name;
}

bool TForm1::briefView(PanelSide side) const {
    return panels_->panel(side).briefView();
}

int TForm1::serverWaitState() const {
    return strip_->serverWaitState();
}

bool TForm1::zipJobRunning() const {
    return zip_ && zip_->running();
}

std::string TForm1::Translate(const std::string& key) const {
    return language_.translate(key);
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

void TForm1::RebuildFavoritesMenu() {
    navigator_->RebuildFavoritesMenu();
}

void TForm1::setLogFileChooser(std::function<QString()> choose) {
    console_->setLogFileChooser(std::move(choose));
}

const std::string& TForm1::editorPath() const {
    return editor_->path();
}

void TForm1::setEditorPath(std::string program) {
    editor_->setPath(std::move(program));
}
