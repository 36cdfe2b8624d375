#include "main/main_window.h"

#include "main/app_icon.h"
#include "main/menu_tree.h"
#include "main/qt_message_service.h"
#include "main/startup_error.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTableView>

TForm1::TForm1(MessageServiceFactory makeMessages) {
    setObjectName("Form1");
    setWindowTitle("Tarvo Manager");
    setWindowIcon(appIcon());
    runStartupStep("building the main window", [&] { buildWidgets(); });
    messages_ = makeMessages ? makeMessages(bridge, this)
                             : std::make_unique<QtMessageService>(bridge, this);
    runStartupStep("creating the panels and the FTP session", [&] { createEngine(); });
    runStartupStep("starting the command workers", [&] { startWorkers(); });
    connectCommands();
    StringGrid2->setFocus();
}

TForm1::~TForm1() {
    // The workers run handlers that use the members below: they stop first.
    bridge.shutdown();
    if (RemoteWorker)
        RemoteWorker->stop();
    if (LocalWorker)
        LocalWorker->stop();
}

void TForm1::createEngine() {
    LeftExplorer = std::make_unique<LocalExplorer>(PanelSide::Left);
    RightExplorer = std::make_unique<LocalExplorer>(PanelSide::Right);
    LeftExplorer->OtherPanel = RightExplorer.get();
    RightExplorer->OtherPanel = LeftExplorer.get();
    FtpSession = std::make_unique<FTPCom>();
    SiteStore = std::make_unique<IOFile>();
    for (const std::string& name : SiteStore->LoadSiteList())
        ComboBox1->addItem(QString::fromStdString(name));
}

void TForm1::startWorkers() {
    TMonThreadH::IdleHooks hooks;
    hooks.profile = [this] {
        const SiteRecord site = SiteStore->currentSite();
        return TMonThreadH::KeepAliveProfile{site.KeepAlive, site.NoopInterval};
    };
    hooks.sessionShown = [this] { return FtpSession->FtpPanel.load() != 0; };
    RemoteWorker = std::make_unique<TMonThreadH>(RemoteCommand, locks.control, std::move(hooks));
    LocalWorker = std::make_unique<TMonThreadL>(LocalCommand);
    // A command that fails unexpectedly must not leave the panels locked.
    for (CommandWorker* worker : {static_cast<CommandWorker*>(RemoteWorker.get()),
                                  static_cast<CommandWorker*>(LocalWorker.get())})
        worker->setFailureHandler([this](int, const std::string&) { setPanelsEnabled(true); });
    RemoteWorker->start();
    LocalWorker->start();
}

void TForm1::connectCommands() {
    if (auto* quit = findChild<QAction*>("wyjcie1")) {
        quit->setEnabled(true);
        connect(quit, &QAction::triggered, this, &QWidget::close);
    }
}

void TForm1::FormCreate() {
    loadActiveLanguage(language_, messages());
    applyTexts();
}

void TForm1::setPanelsEnabled(bool enabled) {
    bridge.post([this, enabled] {
        Panel5->setEnabled(enabled);
        Panel2->setEnabled(enabled);
    });
}

void TForm1::SpeedButton24Click() {
    CancelFlag = 1;
}

void TForm1::FormCloseQuery() {
    // Questions still open are answered Cancel and the workers are asked to stop before the
    // running operation is cancelled, so that neither can start anything new meanwhile.
    bridge.shutdown();
    RemoteWorker->requestStop();
    LocalWorker->requestStop();
    SpeedButton24Click();
    RemoteWorker->join();
    LocalWorker->join();
    if (TrayIcon1)
        TrayIcon1->hide();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormCloseQuery();
    }
    event->accept();
}
