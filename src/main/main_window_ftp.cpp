// The main window's side of the FTP client: what the session shows around its panel, and the
// command groups of the connection bar, the session and the console.
#include "app/engine.h"
#include "main/command_gate.h"
#include "main/command_holds.h"
#include "main/connection_commands.h"
#include "main/console_pane.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/site_commands.h"
#include "main/widget_helpers.h"
#include "main/window_tray.h"

#include <QComboBox>
#include <QSystemTrayIcon>

namespace listing = tarvo::listing;

namespace {

constexpr const char* kTitle = "Tarvo Manager";

} // namespace

void TForm1::showSession(SessionView session) {
    bridge.post([this, session = std::move(session)] {
        PanelController& shown = panel(session.Side);
        LocalExplorer& local = engine_->explorer(session.Side);
        shown.widgets().driveBox->setVisible(!session.Connected);
        const QString title = QString::fromStdString(session.Title);
        strip_->setRestingTitle(title);
        setWindowTitle(title);
        tray_->setToolTip(
            plainToolTip(QString::fromStdString(session.Connected ? session.Site : kTitle)));
        connection_->showConnected(session.Connected);
        holds_->UpdateMenusForPanel(panels_->activeNumber());
        if (session.Connected)
            return;
        strip_->sessionWaitsEnded();
        // The remote rows go at once; the local folder follows when the worker has read it.
        PanelView empty;
        empty.Listing = std::make_shared<listing::DirectoryListing>();
        empty.FolderChanged = true;
        empty.PathLabel = local.GetPath();
        shown.applyView(empty);
    });
}

void TForm1::connectFtpCommands() {
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).setSession(engine_->session());
    connection_ = std::make_unique<ConnectionCommands>(*context_, *connectBar_, *console_);
    context_->connectAction(
        this, "Filtry1", [this] { console_->Filtry1Click(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    context_->connectAction(
        this, "Czyoknokonsoli1", [this] { console_->clear(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    sites_ = std::make_unique<SiteCommands>(*context_, *connectBar_);
}
