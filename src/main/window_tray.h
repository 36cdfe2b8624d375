#pragma once

#include "main/window_context.h"

#include <QObject>

class QMenu;
class QSystemTrayIcon;

// The window's icon in the desktop's tray: its hint follows the window's title, a click or its
// menu's Open brings the window back, its Close ends the program, and Minimize to Tray hides
// the window there (or minimises it where no tray is).
class WindowTray : public QObject {
public:
    explicit WindowTray(const WindowContext& context);

    void setToolTip(const QString& hint);
    void hide();

private:
    void Minimalizyjdozasobnika1Click(); // hide in the tray
    void TrayIcon1Click();               // back from the tray

    const WindowContext& context_;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* PopupMenu1 = nullptr; // the tray's menu
};
