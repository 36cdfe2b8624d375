#include "platform/desktop_tools.h"

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

const QString kMimeQuery = QStringLiteral("xdg-mime");
const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");

// Undoes the desktop-file string escapes (\s \n \t \r \\).
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += next;
        }
    }
    return out;
}

// Splits the command line into words: blanks separate them, double quotes hold blanks, and
// inside quotes a backslash takes the next character literally.
QStringList splitWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size())
                word += line[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

// The word with its field codes expanded; sets `placed` when it took the file.
QString expandFieldCodes(const QString& word, const QString& file, bool& placed) {
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != '%' || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        const QChar code = word[++i];
        if (code == '%') {
            out += '%';
        } else if (QStringLiteral("fFuU").contains(code)) {
            out += file;
            placed = true;
        }
    }
    return out;
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

QString desktopEntryExec(const QString& entryText) {
    bool inEntry = false;
    for (const QString& raw : entryText.split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == QStringLiteral("Exec"))
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QStringList desktopEntryCommand(const QString& exec, const QString& file) {
    QStringList command;
    bool placed = false;
    for (const QString& word : splitWords(unescapeValue(exec))) {
        const QString expanded = expandFieldCodes(word, file, placed);
        // A word that was nothing but a field code without a value goes away.
        if (!expanded.isEmpty() || !word.contains('%'))
            command << expanded;
    }
    if (!placed && !file.isEmpty() && !command.isEmpty())
        command << file;
    return command;
}

DesktopTools::DesktopTools(FailureHandler onFailure, QDBusConnection bus, QObject* parent)
    : QObject(parent), onFailure_(std::move(onFailure)), bus_(std::move(bus)) {
    askForPropertiesService();
}

QString DesktopTools::program(DesktopTool tool) {
    for (const char* name : candidates().at(tool)) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool DesktopTools::available(DesktopTool tool) {
    if (tool == DesktopTool::TextEditor && !QStandardPaths::findExecutable(kMimeQuery).isEmpty())
        return true;
    return !program(tool).isEmpty();
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
    const auto& names = candidates().at(tool);
    onFailure_("None of the programs for this command is installed: " +
               QStringList(names.begin(), names.end()).join(", ").toStdString() + ".");
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
    const QString query = QStandardPaths::findExecutable(kMimeQuery);
    if (query.isEmpty()) {
        startEditor({}, file);
        return;
    }
    // The desktop's choice is asked each time, so a change of it counts at once.
    auto* process = new QProcess(this);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, [this, process, file] {
        const QString entry = QString::fromUtf8(process->readAllStandardOutput()).trimmed();
        process->deleteLater();
        const QString path = entry.isEmpty()
                                 ? QString()
                                 : QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                                          entry.section('\n', 0, 0));
        const QString exec = path.isEmpty() ? QString() : desktopEntryExec(readText(path));
        startEditor(desktopEntryCommand(exec, file), file);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process, file](auto error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        startEditor({}, file);
    });
    process->start(
        query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
}

void DesktopTools::startEditor(const QStringList& desktopDefault, const QString& file) {
    if (!desktopDefault.isEmpty()) {
        const QString found = QStandardPaths::findExecutable(desktopDefault.front());
        if (!found.isEmpty()) {
            startProgram(found, desktopDefault.mid(1));
            return;
        }
    }
    start(DesktopTool::TextEditor, file.isEmpty() ? QStringList() : QStringList{file});
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
                                watcher->error().message())
                                   .toStdString());
                watcher->deleteLater();
            });
}
