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
    static bool available(DesktopTool tool) { return !program(tool).isEmpty(); }

    // Starts the tool apart from this program, in folder (empty: this program's folder).
    void start(DesktopTool tool, const QStringList& arguments, const QString& folder = {});
    // Starts a program apart from this one; false when it could not (reported).
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& folder = {});
    // Runs the tool and waits for it without blocking; a failing end is reported with what the
    // tool wrote.
    void run(DesktopTool tool, const QStringList& arguments);
    // The desktop's default program for text files, else the first text editor found; with
    // an empty file it starts without one. A default that runs in a terminal starts in one.
    void editText(const QString& file);
    // Whether a text editor's program is installed: known at once when an editor of the list
    // is on PATH; else false until checkTextEditor() asked for the desktop's default, and
    // textEditorChecked announces the answer.
    bool textEditorAvailable() const { return textEditorAvailable_; }
    // Asks the desktop for its default text editor when no editor of the list is on PATH.
    void checkTextEditor();

    // Whether a file manager shows item properties; false until the bus has answered, and
    // propertiesServiceFound announces the change.
    bool propertiesAvailable() const { return propertiesAvailable_; }
    void showProperties(const QString& path);

signals:
    void propertiesServiceFound();
    void textEditorChecked(bool available);

private:
    void reportMissing(DesktopTool tool);
    void askForPropertiesService();
    // How the text editor starts for a file: its program and arguments, else why it cannot.
    struct EditorLaunch {
        QString program;
        QStringList arguments;
        std::string failure;
        bool installed = false; // the editor's own program is there (it may lack a terminal)
    };
    // Asks the desktop for its default editor without waiting and gives how it starts.
    void withTextEditor(const QString& file, std::function<void(const EditorLaunch&)> use);
    static EditorLaunch editorLaunch(const QString& desktopEntry, const QString& file);

    FailureHandler onFailure_;
    QDBusConnection bus_;
    bool propertiesAvailable_ = false;
    bool textEditorAvailable_ = false;
};
