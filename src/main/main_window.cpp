#include "main/main_window.h"

#include "main/app_icon.h"
#include "main/menu_tree.h"
#include "main/panel_controller.h"
#include "main/qt_message_service.h"
#include "main/startup_databases.h"
#include "main/startup_error.h"
#include "main/waiting_panel_clicks.h"
#include "platform/termination_signals.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QToolButton>

TForm1::TForm1(MessageServiceFactory makeMessages) {
    setObjectName("Form1");
    setWindowTitle("Tarvo Manager");
    {
        StartupDatabases databases;
        setWindowIcon(appIcon());
        runStartupStep("building the main window", [&] { buildWidgets(databases); });
    }
    messages_ = makeMessages ? makeMessages(bridge, this)
                             : std::make_unique<QtMessageService>(bridge, this);
    runStartupStep("creating the panels and the FTP session", [&] { createEngine(); });
    runStartupStep("starting the command workers", [&] { startWorkers(); });
    connectCommands();
    ActivateLeftPanel();
}

TForm1::~TForm1() {
    // The workers and the drive watch run handlers that use the members below: they stop first.
    stopDriveWatch();
    bridge.shutdown();
    if (engine_)
        engine_->session().shutdown();
    stopZipJobs();
    if (engine_ && engine_->workersStarted()) {
        engine_->remoteWorker().stop();
        engine_->localWorker().stop();
    }
}

void TForm1::createEngine() {
    engine_ = std::make_unique<Engine>(*this, language_);
    const auto standardIcons = [this] { return StandardIcons; };
    leftPanel_ = std::make_unique<PanelController>(PanelSide::Left, LeftPanel,
                                                   engine_->leftExplorer(), icons_, standardIcons);
    rightPanel_ = std::make_unique<PanelController>(
        PanelSide::Right, RightPanel, engine_->rightExplorer(), icons_, standardIcons);
    connectPanel(*leftPanel_);
    connectPanel(*rightPanel_);
    new WaitingPanelClicks({Panel5, Panel2}, [this] { panelsTakeCommand(); });
    for (const std::string& name : engine_->sites().LoadSiteList())
        ComboBox1->addItem(QString::fromStdString(name));
    // The box names no site until one is chosen: the bar's fields are empty, and the box shows
    // its hint rather than a site that was never loaded.
    ComboBox1->setCurrentIndex(-1);
}

void TForm1::connectPanel(PanelController& source) {
    const PanelSide side = source.side();
    connect(&source, &PanelController::activationRequested, this,
            [this, side] { activatePanel(side); });
    connect(&source, &PanelController::switchPanelRequested, this, &TForm1::Aktywneokno1Click);
    connect(&source, &PanelController::openRequested, this,
            [this, side] { openCurrentEntry(side); });
    connect(&source, &PanelController::upRequested, this, [this, side] { upButtonClick(side); });
    connect(&source, &PanelController::invertMarksRequested, this,
            [this] { findChild<QAction*>("Odwrzaznaczenie1")->trigger(); });
    connect(&source, &PanelController::currentEntryChanged, this,
            [this, &source] { entrySelected(source); });
    connect(&source, &PanelController::selectionChanged, this, &TForm1::ShowSelectionInfo);
}

void TForm1::startWorkers() {
    engine_->startWorkers(
        [this](int code, const std::string& reason) { reportCommandFailure(code, reason); });
}

void TForm1::connectAction(const char* name, std::function<void()> handler,
                           const QKeySequence& shortcut) {
    auto* action = findChild<QAction*>(QString::fromLatin1(name));
    if (action == nullptr)
        throw std::logic_error(std::string("no menu item ") + name);
    action->setEnabled(true);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, std::move(handler));
}

void TForm1::makeExclusive(std::initializer_list<const char*> names) {
    auto* group = new QActionGroup(this);
    for (const char* name : names) {
        auto* action = findChild<QAction*>(QString::fromLatin1(name));
        action->setCheckable(true);
        group->addAction(action);
    }
}

void TForm1::connectCommands() {
    connectAction("wyjcie1", [this] { close(); });
    connectMarkCommands();
    connectSortCommands();
    connectIconCommands();
    connectSettingsCommands();
    connectViewCommands();
    connectCloseSources();
    connectToolbarButtons();
    connectFileCommands();
    connectProgressStrip();
    connectFtpCommands();
    connect(LeftPanel.upButton, &QToolButton::clicked, this,
            [this] { upButtonClick(PanelSide::Left); });
    connect(RightPanel.upButton, &QToolButton::clicked, this,
            [this] { upButtonClick(PanelSide::Right); });
    connectNavigationCommands();
    connectPeripheryCommands();
    connectZipCommands();
    connectTransferCommands();
}

void TForm1::setPanelsEnabled(bool enabled) {
    bridge.post([this, enabled] {
        QWidget* focused = QApplication::focusWidget();
        const bool gridHadFocus = !enabled && panelsIdle() &&
                                  (Panel5->isAncestorOf(focused) || Panel2->isAncestorOf(focused));
        Panel5->setEnabled(enabled);
        Panel2->setEnabled(enabled);
        // Disabling hands the keyboard focus on to the next control (the connect button): the
        // grid takes it back when the panels return, unless the user has moved it meanwhile.
        if (gridHadFocus) {
            gridFocusLent_ = true;
            gridFocusLentTo_ = QApplication::focusWidget();
        } else if (enabled && std::exchange(gridFocusLent_, false) &&
                   gridFocusLentTo_ == QApplication::focusWidget()) {
            activePanel().grid().setFocus();
        }
    });
}

void TForm1::showPanel(PanelSide side, PanelView view) {
    bridge.post([this, side, view = std::move(view)] {
        if (!viewIsCurrent(side, view))
            return;
        panel(side).applyView(view);
        syncDriveBox(side);
    });
}

void TForm1::clearMarks(PanelSide side) {
    bridge.post([this, side] { panel(side).clearMarks(); });
}

void TForm1::openDocument(std::string path) {
    bridge.post([this, path = std::move(path)] { desktop_.open(path); });
}
