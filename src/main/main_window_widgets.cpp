// Construction of the main window's controls.
#include "main/connect_bar.h"
#include "main/console_pane.h"
#include "main/icon_toolbar.h"
#include "main/main_window.h"
#include "main/menu_tree.h"
#include "main/panel_pair.h"
#include "main/startup_databases.h"
#include "main/widget_helpers.h"
#include "main/window_tray.h"
#include "main/zip_commands.h"

#include <QFrame>
#include <QMenuBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* commandButton(const char* name, QWidget* parent) {
    auto* button = named<QToolButton>(name, parent);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setEnabled(false); // enabled by the command that owns it
    return button;
}

} // namespace

void TForm1::buildWidgets(PanelWidgets& left, PanelWidgets& right, StartupDatabases& databases) {
    buildMenus(menuBar(), mainMenuTree());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolbar());
    auto* iconToolbar = new IconToolbar(*this);
    layout->addWidget(iconToolbar);
    // The menus and toolbars measure no text yet; the connect bar's boxes do.
    databases.waitForFonts();
    connectBar_ = new ConnectBar(this);
    layout->addWidget(connectBar_);

    databases.waitForIconTheme();
    iconToolbar->showIcons();
    auto* panels = new QSplitter(Qt::Horizontal, central);
    const PathRowIcons icons = pathRowIcons(*panels->style());
    left = buildPanel(kLeftPanelNames, icons, panels);
    right = buildPanel(kRightPanelNames, icons, panels);
    panels->addWidget(left.container);
    panels->addWidget(right.container);
    panels->setChildrenCollapsible(false);
    panels->setStretchFactor(0, 1);
    panels->setStretchFactor(1, 1);

    auto* body = new QSplitter(Qt::Vertical, central);
    body->addWidget(panels);
    console_ = new ConsolePane(*messages_, language_, this);
    body->addWidget(console_);
    body->setStretchFactor(0, 4);
    body->setStretchFactor(1, 1);
    layout->addWidget(body, 1);
    strip_ = new ProgressStrip(language_, bridge, progressHooks(), this);
    layout->addWidget(strip_);
    setCentralWidget(central);

    resize(1000, 700);
}

QWidget* TForm1::buildToolbar() {
    auto* Panel1 = named<QFrame>("Panel1", this);
    auto* layout = rowLayout(Panel1, 2, 4);
    // Each is enabled by the command group that connects it.
    for (const char* name : {"butConnect", "SpeedButton12", "SpeedButton13", "SpeedButton11",
                             "SpeedButton10", "butGetFile", "butSetFile"})
        layout->addWidget(commandButton(name, Panel1));
    layout->addStretch(1);
    return Panel1;
}

ProgressStrip::Hooks TForm1::progressHooks() {
    ProgressStrip::Hooks hooks;
    hooks.transferShown = [this] { return engine_->session().FtpPanel > 0; };
    hooks.commandsIdle = [this] {
        return engine_->remoteCommands().idle() && engine_->localCommands().idle();
    };
    hooks.archiveJobRunning = [this] { return zipJobRunning(); };
    hooks.cancelOthers = [this] {
        engine_->session().CancelRunning();
        zip_->cancelPacking();
    };
    hooks.givePanelsBack = [this] { panels_->setEnabled(true); };
    hooks.showTitle = [this](const QString& title, const QString& trayHint) {
        setWindowTitle(title);
        tray_->setToolTip(trayHint);
    };
    return hooks;
}
