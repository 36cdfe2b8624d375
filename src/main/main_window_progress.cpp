// The progress strip under the panels: the progress timer, the status services and the cancel.
#include "app/progress_text.h"
#include "main/main_window.h"
#include "main/widget_helpers.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kTitle = QStringLiteral("Tarvo Manager");
// The two animations grow the bar by a 26th of its length per tick over a cycle of 25 ticks.
constexpr int kAnimationCycle = 25;
constexpr double kAnimationStep = 1.0 / 26;

} // namespace

void TForm1::connectProgressStrip() {
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(SpeedButton24, &QToolButton::clicked, this, &TForm1::SpeedButton24Click);
}

void TForm1::Timer2Timer() {
    ++TimerTicks;
    // The end of a wait clears the strip before a transfer's bytes show on it: a transfer that
    // moves data shows its progress, not the wait that came before.
    showServerWait();
    showJobProgress();
    showArchiveWork();
}

void TForm1::setBar(double fraction) {
    Image3->setValue(static_cast<int>(fraction * Image3->maximum()));
}

void TForm1::setBusyCursor(bool busy) {
    if (busy == busyCursor_)
        return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TForm1::showJobProgress() {
    if (!runningJob_)
        return;
    const JobProgress& progress = runningJob_->progress;
    showStatusItem(QString::fromStdString(progress.currentItem()));
    if (engine_->session().FtpPanel > 0) {
        showTransferProgress(progress);
        return;
    }
    const std::int64_t total = progress.bytesTotal;
    const std::int64_t done = std::min<std::int64_t>(progress.bytesDone, total);
    if (total <= 0)
        return; // an empty file shows no progress
    // The bytes moved since the last tick, one second ago.
    const std::int64_t moved = progress.bytesMoved;
    Label15->setText(speedText(moved - lastTickBytes_));
    lastTickBytes_ = moved;
    setBar(static_cast<double>(done) / static_cast<double>(total));
    Label10->setText(progressText(done, total));
    setWindowTitle(kTitle + " " + Label10->text());
    TrayIcon1->setToolTip(plainToolTip(windowTitle()));
}

void TForm1::showTransferProgress(const JobProgress& progress) {
    const std::int64_t moved = progress.bytesMoved;
    const std::int64_t done = progress.bytesDone;
    const std::int64_t delta = moved - lastTickBytes_;
    lastTickBytes_ = moved;
    if (done < lastTickDone_)
        TransferTicks = 0; // the next file started: its own time left
    lastTickDone_ = done;
    if (delta <= 0)
        return;
    ++TransferTicks;
    const std::int64_t total = progress.bytesTotal;
    const std::int64_t whole = total > 0 ? total : done;
    setBar(whole > 0 ? static_cast<double>(std::min(done, whole)) / static_cast<double>(whole) : 0);
    Label10->setText(transferText(done, total, TransferTicks));
    Label15->setText(transferSpeedText(delta));
    setWindowTitle(kTitle + " " + Label10->text());
    TrayIcon1->setToolTip(plainToolTip(windowTitle()));
}

void TForm1::showServerWait() {
    const int state = ServerWaitState;
    if (state > 0) {
        setBusyCursor(true);
        if (WaitAnimationStep == 0) {
            Label15->setText(QString());
            Label10->setText(QString(8, u' ') +
                             QString::fromStdString(Translate("WaitingForServer")));
        }
        setBar((WaitAnimationStep + 1) % kAnimationCycle * kAnimationStep);
        ++WaitAnimationStep;
        return;
    }
    WaitAnimationStep = 0;
    if (state == -1) {
        showStripAtRest(0);
        setBusyCursor(false);
    }
    int seen = state; // a new wait announced meanwhile stays
    ServerWaitState.compare_exchange_strong(seen, 0);
}

void TForm1::showArchiveWork() {
    const int state = ZipState;
    if (state > 0) {
        setBusyCursor(true);
        setBar((ZipAnimationStep + 1) % kAnimationCycle * kAnimationStep);
        ++ZipAnimationStep;
        return;
    }
    ZipAnimationStep = 0;
    if (state == -1) {
        Timer2->stop();
        setBar(0);
        showStatusItem(" ");
        setBusyCursor(false);
    }
    int seen = state;
    ZipState.compare_exchange_strong(seen, 0);
}

void TForm1::showStripAtRest(double barFraction) {
    TransferTicks = 0;
    lastTickDone_ = 0;
    setBar(barFraction);
    Label15->setText(" ");
    Label10->setText(" ");
    setWindowTitle(restingTitle_);
    TrayIcon1->setToolTip(kTitle);
}

void TForm1::OperationFinished(int kind) {
    showStripAtRest(0);
    showStatusItem(" ");
    setBusyCursor(false);
    if (kind != 2)
        QApplication::beep();
}

void TForm1::completeProgress() {
    bridge.post([this] { CompleteProgress(); });
}

void TForm1::CompleteProgress() {
    showStripAtRest(1);
    // The finished transfer's last bytes are shown by its end: the next tick starts anew.
    if (runningJob_)
        lastTickBytes_ = runningJob_->progress.bytesMoved;
}

void TForm1::showCurrentFile(std::string text) {
    bridge.post([this, text = std::move(text)] {
        if (runningJob_)
            showStatusItem(QString::fromStdString(text));
    });
}

void TForm1::showStatusItem(const QString& text) {
    if (!refusal_.held(RefusalNotice::Clock::now()))
        Label18->setText(text);
}

void TForm1::commandRefused(Refusal why) {
    // The window's own refusals show at once; a worker's come in order with its other posts.
    if (QThread::currentThread() == thread())
        showRefusal(why);
    else
        bridge.post([this, why] { showRefusal(why); });
}

void TForm1::showRefusal(Refusal why) {
    Label18->setText(QString::fromStdString(refusalText(why)));
    refusal_.shown(RefusalNotice::Clock::now());
}

void TForm1::commandsSettled() {
    bridge.post([this] { clearSettledRefusal(); });
}

void TForm1::clearSettledRefusal() {
    // Cleared once nothing the user gave is left to run; the next settle looks again.
    if (!refusal_.showing() || runningJob_ || !engine_->remoteCommands().idle() ||
        !engine_->localCommands().idle())
        return;
    if (const auto left = refusal_.left(RefusalNotice::Clock::now()); left.count() > 0) {
        QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(left), this,
                           [this] { clearSettledRefusal(); });
        return;
    }
    refusal_.cleared();
    Label18->setText(" ");
}

void TForm1::SpeedButton24Click() {
    // The running job stops at its next step and gives the panels back when it has ended; with
    // nothing running they come back at once.
    if (runningJob_)
        runningJob_->requestStop();
    engine_->session().CancelRunning();
    // A pack stops the same way; an unpack goes on.
    cancelZipPacking();
    Timer2Timer();
    // A zip job still running stops the timer itself, with the tick that clears its strip.
    if (!zipJobRunning())
        Timer2->stop();
    if (!runningJob_ && !zipJobRunning()) {
        Panel5->setEnabled(true);
        Panel2->setEnabled(true);
    }
}
