#include "main/progress_strip.h"

#include "app/progress_text.h"
#include "main/widget_helpers.h"
#include "platform/ui_bridge.h"
#include "settings/language_table.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kTitle = QStringLiteral("Tarvo Manager");
// The two animations grow the bar by a 26th of its length per tick over a cycle of 25 ticks.
constexpr int kAnimationCycle = 25;
constexpr double kAnimationStep = 1.0 / 26;

} // namespace

ProgressStrip::ProgressStrip(const LanguageTable& language, UiBridge& bridge, Hooks hooks,
                             QWidget* parent)
    : QWidget(parent), language_(language), bridge_(bridge), hooks_(std::move(hooks)) {
    auto* layout = rowLayout(this, 2, 4);
    Label18 = named<QLabel>("Label18", this);
    Image3 = named<QProgressBar>("Image3", this);
    Image3->setRange(0, 100);
    Image3->setValue(0);
    Image3->setTextVisible(false);
    Label10 = named<QLabel>("Label10", this);
    Label15 = named<QLabel>("Label15", this);
    SpeedButton24 = named<QToolButton>("SpeedButton24", this);
    SpeedButton24->hide(); // shown while an operation can be cancelled
    layout->addWidget(Label18, 2);
    layout->addWidget(Image3, 2);
    layout->addWidget(Label10, 1);
    layout->addWidget(Label15);
    layout->addWidget(SpeedButton24);

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &ProgressStrip::Timer2Timer);
    connect(SpeedButton24, &QToolButton::clicked, this, &ProgressStrip::SpeedButton24Click);
}

void ProgressStrip::Timer2Timer() {
    // The end of a wait clears the strip before a transfer's bytes show on it: a transfer that
    // moves data shows its progress, not the wait that came before.
    showServerWait();
    showJobProgress();
    showArchiveWork();
}

void ProgressStrip::setBar(double fraction) {
    Image3->setValue(static_cast<int>(fraction * Image3->maximum()));
}

void ProgressStrip::setBusyCursor(bool busy) {
    if (busy == busyCursor_)
        return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ProgressStrip::startJob(std::shared_ptr<Job> job) {
    runningJob_ = std::move(job);
    lastTickBytes_ = 0;
    Timer2->start();
    SpeedButton24->show();
}

bool ProgressStrip::endJob(const std::shared_ptr<Job>& job, int finishKind) {
    if (runningJob_ != job)
        return false;
    runningJob_.reset();
    Timer2->stop();
    SpeedButton24->hide();
    OperationFinished(finishKind);
    return true;
}

void ProgressStrip::showJobProgress() {
    if (!runningJob_)
        return;
    const JobProgress& progress = runningJob_->progress;
    showStatusItem(QString::fromStdString(progress.currentItem()));
    if (hooks_.transferShown()) {
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
    showProgressTitle();
}

void ProgressStrip::showTransferProgress(const JobProgress& progress) {
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
    showProgressTitle();
}

void ProgressStrip::showProgressTitle() {
    const QString title = kTitle + " " + Label10->text();
    hooks_.showTitle(title, plainToolTip(title));
}

void ProgressStrip::showServerWait() {
    const int state = ServerWaitState;
    if (state > 0) {
        setBusyCursor(true);
        if (WaitAnimationStep == 0) {
            Label15->setText(QString());
            Label10->setText(QString(8, u' ') +
                             QString::fromStdString(language_.translate("WaitingForServer")));
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

void ProgressStrip::showArchiveWork() {
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

void ProgressStrip::showStripAtRest(double barFraction) {
    TransferTicks = 0;
    lastTickDone_ = 0;
    setBar(barFraction);
    Label15->setText(" ");
    Label10->setText(" ");
    hooks_.showTitle(restingTitle_, kTitle);
}

void ProgressStrip::OperationFinished(int kind) {
    showStripAtRest(0);
    showStatusItem(" ");
    setBusyCursor(false);
    if (kind != 2)
        QApplication::beep();
}

void ProgressStrip::CompleteProgress() {
    showStripAtRest(1);
    // The finished transfer's last bytes are shown by its end: the next tick starts anew.
    if (runningJob_)
        lastTickBytes_ = runningJob_->progress.bytesMoved;
}

void ProgressStrip::showCurrentFile(const QString& text) {
    if (runningJob_)
        showStatusItem(text);
}

void ProgressStrip::showStatusItem(const QString& text) {
    if (!refusal_.held(RefusalNotice::Clock::now()))
        Label18->setText(text);
}

void ProgressStrip::showRefusal(Refusal why) {
    Label18->setText(QString::fromStdString(refusalText(why)));
    refusal_.shown(RefusalNotice::Clock::now());
}

void ProgressStrip::clearSettledRefusal() {
    // Cleared once nothing the user gave is left to run; the next settle looks again.
    if (!refusal_.showing() || runningJob_ || !hooks_.commandsIdle())
        return;
    if (const auto left = refusal_.left(RefusalNotice::Clock::now()); left.count() > 0) {
        QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(left), this,
                           [this] { clearSettledRefusal(); });
        return;
    }
    refusal_.cleared();
    Label18->setText(" ");
}

void ProgressStrip::setArchiveState(int state) {
    ZipState = state;
    // A tick that saw a question's -1 stopped the timer: the job going on starts it again.
    if (state > 0)
        bridge_.post([this] { Timer2->start(); });
}

void ProgressStrip::archiveJobStarted() {
    SpeedButton24->show();
    setArchiveState(1);
}

void ProgressStrip::archiveJobEnded() {
    SpeedButton24->hide();
}

// The progress strip while a network command waits for the server (connect, listing, change of
// folder): the waiting text at once, the moving bar from the tick.
void ProgressStrip::serverWait(bool waiting) {
    ShowWaitingForServer(waiting);
    setBusyCursor(waiting);
    ServerWaitState = waiting ? 1 : -1; // the next tick clears the strip after a wait
    if (waiting && !Timer2->isActive())
        Timer2->start();
}

void ProgressStrip::ShowWaitingForServer(bool waiting) {
    // The tick animates from here, leaving this text.
    WaitAnimationStep = 1;
    setBar(0);
    Label15->setText(" ");
    Label10->setText(waiting ? QString(8, u' ') +
                                   QString::fromStdString(language_.translate("WaitingForServer"))
                             : QStringLiteral(" "));
}

void ProgressStrip::sessionWaitsEnded() {
    ServerWaitState = -1;
    // The timer runs on for a transfer or an archive job.
    if (!runningJob_ && !hooks_.archiveJobRunning())
        Timer2->stop();
    OperationFinished(2);
}

void ProgressStrip::SpeedButton24Click() {
    // The running job stops at its next step and gives the panels back when it has ended; with
    // nothing running they come back at once.
    if (runningJob_)
        runningJob_->requestStop();
    // The session's running command is cancelled, and a pack stops the same way; an unpack
    // goes on.
    hooks_.cancelOthers();
    Timer2Timer();
    // A zip job still running stops the timer itself, with the tick that clears its strip.
    if (!hooks_.archiveJobRunning())
        Timer2->stop();
    if (!runningJob_ && !hooks_.archiveJobRunning())
        hooks_.givePanelsBack();
}
