#pragma once

#include "main/window_context.h"
#include "settings/settings_document.h"

#include <optional>

class PanelCommands;

// The window's settings file: read at the start (each panel's sort order, the icon mode),
// applied at the first show (each panel's folder and view), and written back at the close with
// what the panels show then.
class WindowSettings {
public:
    WindowSettings(const WindowContext& context, PanelCommands& panelCommands)
        : context_(context), panelCommands_(panelCommands) {}

    // A file that cannot be read is named in a box; the defaults stand in for it.
    void readStartSettings();
    // The panels take the saved folders and views: at the first show only, false after it.
    bool restoreAtFirstShow();
    void saveSettings();

private:
    const WindowContext& context_;
    PanelCommands& panelCommands_;
    std::optional<TXMLTarvoManagerType> SettingsDoc; // the document the close saves into
    bool FirstShowPending = true;
};
