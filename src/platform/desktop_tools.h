#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <functional>
#include <string>

// The desktop's own programs that the window's commands start: a terminal, the settings and
// system tools, the text editor, the printer queue and network mounts. Each is looked for on
// PATH among a list of candidates, the first found wins, and it is started with an argument
// list, never through a shell. Lives on the GUI thread.
enum class DesktopTool {
    Terminal,
    ControlPanel,
    DeviceManager,
    SystemMonitor,
    DiskUtility,
    TextEditor,
    Printer,       // lp
    NetworkMounts, // gio
};

class DesktopTools : public QObject {
    Q_OBJECT
public:
    // Told the whole text of a message box when a program could not be started or ended with
    // an error.
    using FailureHandler = std::function<void(const std::string& text)>;

    // bus: where the file manager's item properties are asked for (the session bus).
    DesktopTools(FailureHandler onFailure, QDBusConnection bus, QObject* parent = nullptr);

    // The full path of the tool's first candidate on PATH; empty when none is there.
    static QString program(DesktopTool tool);
    // The text editor is also available when the desktop names a default for text files.
    static bool available(DesktopTool tool);

    // Starts the tool apart from this program, in folder (empty: this program's folder).
    void start(DesktopTool tool, const QStringList& arguments, const QString& folder = {});
    // Starts a program apart from this one; false when it could not (reported).
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& folder = {});
    // Runs the tool and waits for it without blocking; a failing end is reported with what the
    // tool wrote.
    void run(DesktopTool tool, const QStringList& arguments);
    // The desktop's default program for text files, else the first text editor found; with
    // an empty file it starts without one.
    void editText(const QString& file);

    // Whether a file manager shows item properties; false until the bus has answered, and
    // propertiesServiceFound announces the change.
    bool propertiesAvailable() const { return propertiesAvailable_; }
    void showProperties(const QString& path);

signals:
    void propertiesServiceFound();

private:
    void reportMissing(DesktopTool tool);
    void askForPropertiesService();
    void startEditor(const QStringList& desktopDefault, const QString& file);

    FailureHandler onFailure_;
    QDBusConnection bus_;
    bool propertiesAvailable_ = false;
};

// The command line of a desktop entry's Exec value for one file: the value's escapes and
// quoting undone, %f %F %u %U replaced by the file (dropped when it is empty), %% kept as %,
// other field codes dropped; the file is appended when the value has no field code for it.
QStringList desktopEntryCommand(const QString& exec, const QString& file);

// The Exec value of the [Desktop Entry] group of a desktop file's text; empty when it has none.
QString desktopEntryExec(const QString& entryText);
