#pragma once

#include <QFrame>

// The second toolbar: navigation, views, marking, file and system commands as icon buttons, in
// the desktop's icon theme or drawn glyphs of our own. A button that has a menu item presses it
// and is enabled exactly when it is; the others are connected by their command groups.
class IconToolbar : public QFrame {
public:
    // The window's menus are built already: the buttons follow their items from the start. The
    // buttons have no icons until showIcons().
    explicit IconToolbar(QWidget& window);

    // The theme icon the window asks for first.
    static QString firstThemeIcon();
    // Gives the buttons their icons: from the icon theme, which is read on the first call.
    void showIcons();
};
