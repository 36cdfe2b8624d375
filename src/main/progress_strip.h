#pragma once

#include "app/refusal_notice.h"
#include "frontend/job.h"

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class LanguageTable;
class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;
class UiBridge;

// The strip under the panels: the item worked on (or why a command was not taken), the bar, the
// progress text, the speed and the cancel button. Its timer ticks once a second while a file
// job, a wait for the server or an archive job runs, and reads what the workers publish in
// atomics; afterwards the strip comes to rest under the window's resting title. GUI thread,
// except where a member says otherwise.
class ProgressStrip : public QWidget {
    Q_OBJECT
public:
    // What the strip asks of the window.
    struct Hooks {
        std::function<bool()> transferShown; // the FTP session shows: a job is a transfer
        std::function<bool()> commandsIdle;  // both workers have run every command given
        std::function<bool()> archiveJobRunning;
        std::function<void()> cancelOthers;   // the cancel's step for the session and the zips
        std::function<void()> givePanelsBack; // the cancel left nothing running
        std::function<void(const QString& title, const QString& trayHint)> showTitle;
    };

    ProgressStrip(const LanguageTable& language, UiBridge& bridge, Hooks hooks, QWidget* parent);

    // File jobs: the one the strip shows and the cancel stops.
    void startJob(std::shared_ptr<Job> job);
    // Ends the display of the job; false when it is not the one shown (it has ended already).
    bool endJob(const std::shared_ptr<Job>& job, int finishKind);
    bool jobRunning() const { return runningJob_ != nullptr; }
    void showCurrentFile(const QString& text);

    // Archive jobs. Any thread: 1 while the job runs, -1 when it has just ended or asks a
    // question.
    void setArchiveState(int state);
    void archiveJobStarted();
    void archiveJobEnded();

    // Waits for the server.
    void serverWait(bool waiting);
    void sessionWaitsEnded(); // the session was closed
    int serverWaitState() const { return ServerWaitState; }

    void CompleteProgress();
    void setRestingTitle(const QString& title) { restingTitle_ = title; }
    // The status line's text of the item worked on, unless a refusal holds the line.
    void showStatusItem(const QString& text);
    void showRefusal(Refusal why);
    void clearSettledRefusal();

    void SpeedButton24Click(); // cancel

private:
    void Timer2Timer();
    void showJobProgress();
    void showTransferProgress(const JobProgress& progress);
    void showServerWait();
    void showArchiveWork();
    void ShowWaitingForServer(bool waiting);
    void setBar(double fraction);
    void setBusyCursor(bool busy);
    void showProgressTitle();
    // Blank texts, the resting title and the bar at the given fill: nothing to show.
    void showStripAtRest(double barFraction);
    void OperationFinished(int kind);

    const LanguageTable& language_;
    UiBridge& bridge_;
    const Hooks hooks_;
    QLabel* Label18 = nullptr; // the item worked on
    QProgressBar* Image3 = nullptr;
    QLabel* Label10 = nullptr; // progress text
    QLabel* Label15 = nullptr; // speed
    QToolButton* SpeedButton24 = nullptr;
    QTimer* Timer2 = nullptr;

    RefusalNotice refusal_;
    std::shared_ptr<Job> runningJob_;
    std::int64_t lastTickBytes_ = 0;
    std::int64_t lastTickDone_ = 0; // of the transfer's file at the last tick
    int TransferTicks = 0;          // ticks in which the transfer moved bytes
    int WaitAnimationStep = 0;
    int ZipAnimationStep = 0;
    bool busyCursor_ = false;
    // The window's title while no progress shows in it: the session's, or the program's name.
    QString restingTitle_ = QStringLiteral("Tarvo Manager");
    // 1 while a network command waits for the server or an archive job runs, -1 when that has
    // just ended, 0 idle: the tick animates the strip and then clears it.
    std::atomic<int> ServerWaitState{0};
    std::atomic<int> ZipState{0};
};
