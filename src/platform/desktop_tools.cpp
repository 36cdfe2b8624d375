#include "platform/desktop_tools.h"

#include "platform/desktop_entry.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <map>
#include <vector>

namespace {

const std::map<DesktopTool, std::vector<const char*>>& candidates() {
    static const std::map<DesktopTool, std::vector<const char*>> table{
        {DesktopTool::Terminal,
         {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal",
          "lxterminal", "qterminal", "xterm"}},
        {DesktopTool::ControlPanel,
         {"gnome-control-center", "systemsettings", "xfce4-settings-manager", "mate-control-center",
          "cinnamon-settings", "lxqt-config"}},
        {DesktopTool::DeviceManager, {"hardinfo", "kinfocenter", "lshw-gtk"}},
        {DesktopTool::SystemMonitor,
         {"gnome-system-monitor", "plasma-systemmonitor", "mate-system-monitor",
          "xfce4-taskmanager", "lxtask"}},
        {DesktopTool::DiskUtility, {"gnome-disks", "partitionmanager"}},
        {DesktopTool::TextEditor,
         {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad",
          "leafpad"}},
        {DesktopTool::Printer, {"lp"}},
        {DesktopTool::NetworkMounts, {"gio"}},
    };
    return table;
}

// The terminals that run a command given as the words after an option, in the terminal
// command's order. lxterminal and qterminal take the command as one text that they split
// again, so a file name with blanks would come apart: they run no editor.
const std::pair<const char*, const char*> kCommandTerminals[] = {
    {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"},
    {"xfce4-terminal", "-x"},      {"mate-terminal", "-x"},  {"xterm", "-e"}};

const QString kMimeQuery = QStringLiteral("xdg-mime");
const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");

// Why the file manager showed no properties, in words; the bus's own text for what is rare.
QString propertiesFailure(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
        return QStringLiteral("No file manager that shows properties is running.");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
        return QStringLiteral("The file manager did not answer.");
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownObject:
        return QStringLiteral("The file manager cannot show properties.");
    default:
        return QStringLiteral("The file manager answered: ") + error.message();
    }
}

std::string missingText(DesktopTool tool) {
    const auto& names = candidates().at(tool);
    return "None of the programs for this command is installed: " +
           QStringList(names.begin(), names.end()).join(", ").toStdString() + ".";
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// What a finished tool reports: what it wrote, else its exit status.
std::string endReport(const QString& program, const QByteArray& output, int exitCode,
                      QProcess::ExitStatus status) {
    QString reason = QString::fromLocal8Bit(output).trimmed();
    if (reason.isEmpty())
        reason = status == QProcess::NormalExit
                     ? QStringLiteral("It ended with exit status %1.").arg(exitCode)
                     : QStringLiteral("It was ended by a signal.");
    return ("\"" + program + "\" failed.\n\n" + reason).toStdString();
}

} // namespace

DesktopTools::DesktopTools(FailureHandler onFailure, QDBusConnection bus, QObject* parent)
    : QObject(parent), onFailure_(std::move(onFailure)), bus_(std::move(bus)) {
    askForPropertiesService();
    textEditorAvailable_ = available(DesktopTool::TextEditor);
}

void DesktopTools::checkTextEditor() {
    // Any editor of the list on PATH is an editor whatever the desktop's default is, so the
    // default (a shell script that starts several programs) is asked for only without one.
    if (textEditorAvailable_)
        return;
    withTextEditor({}, [this](const EditorLaunch& launch) {
        textEditorAvailable_ = launch.installed;
        emit textEditorChecked(textEditorAvailable_);
    });
}

QString DesktopTools::program(DesktopTool tool) {
    for (const char* name : candidates().at(tool)) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool DesktopTools::startProgram(const QString& program, const QStringList& arguments,
                                const QString& folder) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.startDetached())
        return true;
    onFailure_(("Could not start \"" + program + "\".\n\n" + process.errorString()).toStdString());
    return false;
}

void DesktopTools::reportMissing(DesktopTool tool) {
    onFailure_(missingText(tool));
}

void DesktopTools::start(DesktopTool tool, const QStringList& arguments, const QString& folder) {
    const QString found = program(tool);
    if (found.isEmpty())
        reportMissing(tool);
    else
        startProgram(found, arguments, folder);
}

void DesktopTools::run(DesktopTool tool, const QStringList& arguments) {
    const QString found = program(tool);
    if (found.isEmpty()) {
        reportMissing(tool);
        return;
    }
    auto* process = new QProcess(this);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::finished, this,
            [this, process, found](int exitCode, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || exitCode != 0)
                    onFailure_(endReport(found, process->readAll(), exitCode, status));
                process->deleteLater();
            });
    connect(
        process, &QProcess::errorOccurred, this,
        [this, process, found](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            onFailure_(
                ("Could not start \"" + found + "\".\n\n" + process->errorString()).toStdString());
            process->deleteLater();
        });
    process->start(found, arguments);
}

void DesktopTools::editText(const QString& file) {
    withTextEditor(file, [this](const EditorLaunch& launch) {
        if (launch.program.isEmpty())
            onFailure_(launch.failure);
        else
            startProgram(launch.program, launch.arguments);
    });
}

void DesktopTools::withTextEditor(const QString& file,
                                  std::function<void(const EditorLaunch&)> use) {
    const QString query = QStandardPaths::findExecutable(kMimeQuery);
    if (query.isEmpty()) {
        use(editorLaunch({}, file));
        return;
    }
    // The desktop's choice is asked each time, so a change of it counts at once.
    auto* process = new QProcess(this);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, [process, file, use] {
        const QString entry = QString::fromUtf8(process->readAllStandardOutput()).trimmed();
        process->deleteLater();
        use(editorLaunch(entry.section('\n', 0, 0), file));
    });
    connect(process, &QProcess::errorOccurred, this, [process, file, use](auto error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        use(editorLaunch({}, file));
    });
    process->start(
        query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
}

DesktopTools::EditorLaunch DesktopTools::editorLaunch(const QString& desktopEntry,
                                                      const QString& file) {
    const QString path =
        desktopEntry.isEmpty()
            ? QString()
            : QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopEntry);
    const QString entry = path.isEmpty() ? QString() : readText(path);
    const QStringList command =
        desktopEntryCommand(desktopEntryValue(entry, QStringLiteral("Exec")), file);
    const QString editor =
        command.isEmpty() ? QString() : QStandardPaths::findExecutable(command.front());
    std::string failure;
    if (!editor.isEmpty()) {
        if (desktopEntryValue(entry, QStringLiteral("Terminal")) != QStringLiteral("true"))
            return {editor, command.mid(1), {}, true};
        // Started without a terminal, such an editor has nowhere to show and ends at once.
        for (const auto& [name, option] : kCommandTerminals) {
            const QString terminal = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!terminal.isEmpty())
                return {terminal,
                        QStringList{QString::fromLatin1(option), editor} + command.mid(1),
                        {},
                        true};
        }
        QStringList terminals;
        for (const auto& [name, option] : kCommandTerminals)
            terminals << QString::fromLatin1(name);
        failure = ("The text editor \"" + command.front() +
                   "\" runs in a terminal, and no terminal program is installed: " +
                   terminals.join(", ") + ".")
                      .toStdString();
    }
    // Without a usable default, the first text editor found.
    if (const QString found = program(DesktopTool::TextEditor); !found.isEmpty())
        return {found, file.isEmpty() ? QStringList() : QStringList{file}, {}, true};
    if (failure.empty())
        failure = missingText(DesktopTool::TextEditor);
    return {{}, {}, failure, !editor.isEmpty()};
}

void DesktopTools::askForPropertiesService() {
    if (!bus_.isConnected())
        return;
    // Asked without waiting: a running file manager owns the name, or the bus can start one.
    const auto ask = [this](const char* method, auto answer) {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, watcher, answer](QDBusPendingCallWatcher*) {
                    const QDBusPendingReply<QStringList> reply = *watcher;
                    watcher->deleteLater();
                    if (!reply.isError() && answer(reply.value()) && !propertiesAvailable_) {
                        propertiesAvailable_ = true;
                        emit propertiesServiceFound();
                    }
                });
    };
    const auto offers = [](const QStringList& names) { return names.contains(kFileManager); };
    ask("ListNames", offers);
    ask("ListActivatableNames", offers);
}

void DesktopTools::showProperties(const QString& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManager, QStringLiteral("/org/freedesktop/FileManager1"), kFileManager,
        QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, path](QDBusPendingCallWatcher*) {
                if (watcher->isError())
                    onFailure_(("Could not show the properties of \"" + path + "\".\n\n" +
                                propertiesFailure(watcher->error()))
                                   .toStdString());
                watcher->deleteLater();
            });
}
