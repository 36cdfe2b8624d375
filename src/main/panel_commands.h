#pragma once

#include "main/window_context.h"

#include <QObject>

// The commands on what the panels show: marking (all, none, inverted, by extension), the
// switch to the other panel, the sort order, the icon mode, and the brief and full view.
class PanelCommands : public QObject {
public:
    explicit PanelCommands(const WindowContext& context);

    // Standard: the image list by extension; otherwise the desktop's icons.
    void setIconMode(bool standard);

private:
    void connectMarkCommands();
    void connectSortCommands();
    void brief1Click(); // brief view of the active panel
    void full1Click();  // full view of the active panel

    const WindowContext& context_;
};
