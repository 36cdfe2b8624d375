#pragma once

#include "main/window_context.h"

#include <QObject>

#include <initializer_list>
#include <optional>
#include <string>

class DesktopOpener;
class DesktopTools;

// The commands that start the desktop's programs: a new window, the terminal, the system tools,
// the text editor, printing, properties and sharing, network mounts, and the help files. Each is
// enabled only where its program is there.
class ShellTools : public QObject {
public:
    ShellTools(const WindowContext& context, DesktopTools& tools, DesktopOpener& desktop);

    // Properties show the FTP panel's listing in the editor; a local entry's need a file manager.
    void enablePropertiesForPanel();

private:
    void connectHelpCommands();
    void enableTool(std::initializer_list<const char*> controls, bool available);
    void DOS1Click(); // a terminal in the active panel's folder
    void DefaultEdit1Click();
    void Print1Click();
    void waciwoci1Click(); // properties
    void ShareCurrentDirectory1Click();
    void networkDriveClick(const char* item, bool disconnect);
    // The active panel's selected file, when it is a local file row and the panels are idle.
    std::optional<std::string> selectedLocalFile();
    // The active panel's selected entry as a local path, folder brackets removed; none while
    // the panel shows the FTP session or a command runs.
    std::optional<std::string> selectedLocalEntry();

    const WindowContext& context_;
    DesktopTools& tools_;
    DesktopOpener& desktop_;
};
