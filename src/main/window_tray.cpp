#include "main/window_tray.h"

#include "main/app_icon.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

WindowTray::WindowTray(const WindowContext& context) : context_(context) {
    QWidget& window = context_.window;
    TrayIcon1 = new QSystemTrayIcon(appIcon(), &window);
    TrayIcon1->setObjectName("TrayIcon1");
    TrayIcon1->setToolTip("Tarvo Manager");
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayIcon1->show();

    PopupMenu1 = new QMenu(&window);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* open = PopupMenu1->addAction(QStringLiteral("Open"));
    open->setObjectName("Otwrz1");
    QAction* quit = PopupMenu1->addAction(QStringLiteral("Close"));
    quit->setObjectName("Zakocz2");
    connect(open, &QAction::triggered, this, &WindowTray::TrayIcon1Click);
    connect(quit, &QAction::triggered, this, [&window] {
        window.close();
        // A window hidden in the tray is no visible window whose close would end the program.
        QCoreApplication::quit();
    });
    TrayIcon1->setContextMenu(PopupMenu1);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    TrayIcon1Click();
            });
    context_.connectAction(
        this, "Minimalizyjdozasobnika1", [this] { Minimalizyjdozasobnika1Click(); },
        QKeySequence(Qt::CTRL | Qt::Key_M));
}

void WindowTray::setToolTip(const QString& hint) {
    TrayIcon1->setToolTip(hint);
}

void WindowTray::hide() {
    TrayIcon1->hide();
}

void WindowTray::Minimalizyjdozasobnika1Click() {
    // The icon is there also for a tray that appears later.
    TrayIcon1->show();
    // Without a tray nothing would be left to bring the window back: it is minimised instead.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        context_.window.showMinimized();
        return;
    }
    context_.window.hide();
}

void WindowTray::TrayIcon1Click() {
    QWidget& window = context_.window;
    // Out of the minimised state before it shows: a window shown while still minimised comes
    // back as an icon.
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}
