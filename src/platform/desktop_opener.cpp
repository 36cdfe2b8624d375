#include "platform/desktop_opener.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kOpener = QStringLiteral("xdg-open");

// What xdg-open's exit status says went wrong.
std::string failureOf(int exitStatus) {
    switch (exitStatus) {
    case 2:
        return "The file does not exist.";
    case 3:
        return "No program is set up to open files of this type.";
    default:
        return "The program for files of this type could not open it.";
    }
}

} // namespace

DesktopOpener::DesktopOpener(FailureHandler onFailure, QObject* parent)
    : QObject(parent), onFailure_(std::move(onFailure)) {}

void DesktopOpener::open(const std::string& path) {
    const QString program = QStandardPaths::findExecutable(kOpener);
    if (program.isEmpty()) {
        onFailure_(path, "No desktop opener (xdg-open) is installed.");
        return;
    }
    // Owned by this object: a process still running when the window goes is ended with it,
    // while the program it started keeps running.
    auto* process = new QProcess(this);
    // No pipes: the started program inherits the channels and may write as much as it likes.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this,
            [this, process, path](int exitCode, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || exitCode != 0)
                    onFailure_(path, failureOf(status == QProcess::NormalExit ? exitCode : -1));
                process->deleteLater();
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, path](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                onFailure_(path, "The desktop opener (xdg-open) could not be started.");
                process->deleteLater();
            });
    process->start(program, {QString::fromStdString(path)});
}
