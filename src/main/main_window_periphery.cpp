// The window's periphery: hiding in the tray and coming back, the refresh when the program is
// switched back to, the panel switch's key, the language dialog and the About box.
#include "main/about_box.h"
#include "main/language_dialog.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/product_info.h"

#include <QAction>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>

#include <tuple>

namespace {

// A mouse button pressed on a panel's path row activates that panel.
class ActivateOnPress : public QObject {
public:
    ActivateOnPress(std::function<void()> activate, QObject* parent)
        : QObject(parent), activate_(std::move(activate)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            activate_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> activate_;
};

} // namespace

void TForm1::connectPeripheryCommands() {
    for (PanelController* panel :
         {&panels_->panel(PanelSide::Left), &panels_->panel(PanelSide::Right)})
        panel->setSwitchKey(
            [this](const QKeyEvent& key) { return windowSwitchKey_->matches(key); });
    for (PanelController* panel :
         {&panels_->panel(PanelSide::Left), &panels_->panel(PanelSide::Right)}) {
        auto* filter =
            new ActivateOnPress([this, side = panel->side()] { panels_->activate(side); }, this);
        panel->widgets().pathRow->installEventFilter(filter);   // Shape1, Shape2
        panel->widgets().pathLabel->installEventFilter(filter); // Label1, Label11
    }
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    ApplicationEvents1Activate();
            });
    connectTray();
    connectAction("Jzyk1", [this] { Jzyk1Click(); });
    connectAction("About1", [this] { About1Click(); });
    connectShellTools();
    connectHelpCommands();
}

void TForm1::ApplicationEvents1Activate() {
    if (!panels_->idle())
        return;
    update();
    // The first activation is the start's own; later ones bring in what other programs changed
    // meanwhile.
    if (activatedBefore_)
        // Refused only while a job runs, whose end re-reads its panels anyway.
        std::ignore = engine_->remoteCommands().post(cmd::RefreshPanels{});
    activatedBefore_ = true;
}

void TForm1::connectTray() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* open = PopupMenu1->addAction(QStringLiteral("Open"));
    open->setObjectName("Otwrz1");
    QAction* quit = PopupMenu1->addAction(QStringLiteral("Close"));
    quit->setObjectName("Zakocz2");
    connect(open, &QAction::triggered, this, &TForm1::TrayIcon1Click);
    connect(quit, &QAction::triggered, this, [this] {
        close();
        // A window hidden in the tray is no visible window whose close would end the program.
        QCoreApplication::quit();
    });
    TrayIcon1->setContextMenu(PopupMenu1);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    TrayIcon1Click();
            });
    connectAction(
        "Minimalizyjdozasobnika1", [this] { Minimalizyjdozasobnika1Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_M));
}

void TForm1::Minimalizyjdozasobnika1Click() {
    // The icon is there also for a tray that appears later.
    TrayIcon1->show();
    // Without a tray nothing would be left to bring the window back: it is minimised instead.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    hide();
}

void TForm1::TrayIcon1Click() {
    // Out of the minimised state before it shows: a window shown while still minimised comes
    // back as an icon.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TForm1::Jzyk1Click() {
    auto* dialog = new TOKRightDlg12(
        {language_, messages(), [this] { FormCreate(); },
         [this](const std::string& file) { tools_->editText(QString::fromStdString(file)); },
         tools_->textEditorAvailable()},
        this);
    windowSwitchKey_->holdWhileOpen(dialog);
    dialog->show();
}

void TForm1::About1Click() {
    auto* box = new TOKRightDlg123([this] { desktop_.open(product::kHomePage); }, this);
    box->show();
}
