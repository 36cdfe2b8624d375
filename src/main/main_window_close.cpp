// The close of the main window: however the program is asked to end normally, the work stops,
// the session and the temporary copies are cleaned up and the settings are saved, once.
#include "main/main_window.h"
#include "main/window_settings.h"
#include "main/window_tray.h"
#include "main/zip_commands.h"
#include "platform/message_service.h"
#include "platform/termination_signals.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>

void TForm1::connectCloseSources() {
    // File > Quit closes the window (connected with the other commands); the desktop session's
    // end and the termination signals close it the same way.
    connect(
        qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { close(); },
        Qt::DirectConnection);
    terminationSignals_ = std::make_unique<TerminationSignals>([this] {
        close();
        // Ends dialogs' own loops too, so that an open dialog cannot keep the program alive.
        QCoreApplication::quit();
    });
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormCloseQuery();
    }
    event->accept();
}

void TForm1::FormCloseQuery() {
    stopWorkers();
    // The workers are gone: the close's own messages may show again.
    bridge.reopen();
    closeFtpSession();
    deleteEditedCopies();
    settings_->saveSettings();
    bridge.shutdown();
    if (tray_)
        tray_->hide();
}

void TForm1::stopWorkers() {
    // The workers are asked to stop, nothing reaches the server any more and the running job is
    // cancelled before the questions still open are answered Cancel: a worker that gets its
    // answer finds nothing left to do, and closing never waits for the server.
    engine_->remoteWorker().requestStop();
    engine_->localWorker().requestStop();
    engine_->session().shutdown();
    strip_->SpeedButton24Click();
    bridge.shutdown();
    zip_->stop();
    engine_->remoteWorker().join();
    engine_->localWorker().join();
}

void TForm1::closeFtpSession() {
    // An open FTP session is ended here, so the settings get the panel's local folder and its
    // sort key; the connection is dropped without QUIT.
    if (engine_->session().FtpPanel != 0)
        engine_->session().Disconnect();
}

void TForm1::deleteEditedCopies() {
    // A copy whose last save never reached the server is the only place that work is in.
    const std::vector<std::string> kept = engine_->editedCopies().removeUploadedCopies();
    if (kept.empty())
        return;
    std::string paths;
    for (const std::string& path : kept)
        paths += "\n" + path;
    messages().show({"Tarvo Manager",
                     "These edited copies were never uploaded and are kept:\n" + paths,
                     MessageButton::Ok, MessageIcon::Information});
}
