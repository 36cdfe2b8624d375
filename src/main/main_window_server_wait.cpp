// The progress strip while a network command waits for the server (connect, listing, change of
// folder): the waiting text at once, the moving bar from the progress timer.
#include "main/main_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

void TForm1::serverWait(bool waiting) {
    bridge.post([this, waiting] {
        ShowWaitingForServer(waiting);
        setBusyCursor(waiting);
        ServerWaitState = waiting ? 1 : -1; // the next tick clears the strip after a wait
        if (waiting && !Timer2->isActive())
            Timer2->start();
    });
}

void TForm1::ShowWaitingForServer(bool waiting) {
    // The tick animates from here, leaving this text.
    WaitAnimationStep = 1;
    setBar(0);
    Label15->setText(" ");
    Label10->setText(waiting
                         ? QString(8, u' ') + QString::fromStdString(Translate("WaitingForServer"))
                         : QStringLiteral(" "));
}

void TForm1::sessionWaitsEnded() {
    ServerWaitState = -1;
    // The timer runs on for a transfer or an archive job.
    if (!runningJob_ && !zipJobRunning())
        Timer2->stop();
    OperationFinished(2);
}
