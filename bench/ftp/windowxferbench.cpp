// Downloads one remote file through the main window, as F5 does, and measures how the GUI
// thread fares meanwhile: the longest gap between two wake-ups of a 10 ms timer (the worst
// stall of the event loop) and how often the status strip changed per progress tick.
//   windowxferbench HOST PORT USER PASS REMOTE_FILE
// The window starts in $HOME (both panels), connects the left panel, marks the file's row and
// copies it into the right panel's folder. Prints the figures; exits 1 when the file did not
// arrive within ten minutes.
#include "main/main_window.h"
#include "main/panel_controller.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

constexpr int kProbeMs = 10;

// Runs the event loop until the condition holds, checked every 10 ms; false after the limit.
bool runUntil(const std::function<bool()>& condition, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, kProbeMs);
    }
    return true;
}

// What the strip shows: its two texts and the bar.
struct Strip {
    QString text;
    QString speed;
    int bar = 0;
    bool operator==(const Strip&) const = default;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: windowxferbench HOST PORT USER PASS REMOTE_FILE\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvo Manager");
    const QString remoteName = QString::fromLocal8Bit(argv[5]);
    const std::filesystem::path target = std::filesystem::path(std::getenv("HOME")) / argv[5];
    std::filesystem::remove(target);

    auto window = std::make_unique<TForm1>();
    window->FormCreate();
    window->show();
    auto child = [&](const char* name) { return window->findChild<QWidget*>(name); };
    auto setText = [&](const char* box, const char* text) {
        qobject_cast<QLineEdit*>(child(box))->setText(QString::fromLocal8Bit(text));
    };
    setText("Edit2", "bench");
    setText("eSrvName", argv[1]);
    setText("eSrvPort", argv[2]);
    setText("eUserName", argv[3]);
    setText("eUserPasswd", argv[4]);
    PanelController& left = window->panel(PanelSide::Left);
    auto idle = [&] {
        return window->engine().remoteCommands().idle() &&
               window->findChild<QWidget*>("Panel5")->isEnabled() &&
               window->findChild<QWidget*>("Panel2")->isEnabled();
    };
    auto remoteRow = [&] {
        for (int row = 0; row < left.model().rowCount(); ++row) {
            if (QString::fromStdString(left.model().nameCell(row)) == remoteName)
                return row;
        }
        return -1;
    };
    // The connect button starts a session only once the start-up's own work is done.
    runUntil([&] { return idle() && left.model().rowCount() > 0; }, 10000);
    window->ActivateLeftPanel();
    window->findChild<QToolButton*>("butConnect")->click();
    if (!runUntil([&] { return left.model().remote() && remoteRow() >= 0 && idle(); }, 30000)) {
        std::fprintf(stderr, "no listing with %s\n", argv[5]);
        return 1;
    }

    auto* text = window->findChild<QLabel*>("Label10");
    auto* speed = window->findChild<QLabel*>("Label15");
    auto* bar = window->findChild<QProgressBar*>("Image3");
    auto* tick = window->findChild<QTimer*>("Timer2");
    auto strip = [&] { return Strip{text->text(), speed->text(), bar->value()}; };

    // The probe wakes every 10 ms: its lateness is how long the event loop was held up. It also
    // notes every change of the strip it sees.
    QElapsedTimer clock;
    qint64 lastWake = -1;
    qint64 longestGap = 0;
    int stalls = 0; // gaps over 50 ms
    int changes = 0;
    int ticks = 0;
    Strip shown = strip();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kProbeMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastWake >= 0) {
            longestGap = std::max(longestGap, now - lastWake);
            stalls += now - lastWake > 50 ? 1 : 0;
        }
        lastWake = now;
        if (const Strip seen = strip(); !(seen == shown)) {
            ++changes;
            shown = seen;
        }
    });
    QObject::connect(tick, &QTimer::timeout, [&] { ++ticks; });

    left.model().setMarked(remoteRow(), true);
    clock.start();
    probe.start();
    window->findChild<QAction*>("kopiuj1")->trigger();
    const bool arrived = runUntil(
        [&] {
            return std::filesystem::exists(target) && idle() &&
                   std::filesystem::file_size(target) > 0;
        },
        600000);
    probe.stop();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000;
    const auto bytes = arrived ? std::filesystem::file_size(target) : 0;
    std::printf("%ju bytes in %.3f s (%.0f MiB/s)\n", static_cast<std::uintmax_t>(bytes), seconds,
                static_cast<double>(bytes) / seconds / (1 << 20));
    std::printf("longest event-loop gap %lld ms (probe every %d ms), gaps over 50 ms: %d\n",
                static_cast<long long>(longestGap), kProbeMs, stalls);
    std::printf("progress ticks %d, strip changes %d (%.2f per tick)\n", ticks, changes,
                ticks > 0 ? static_cast<double>(changes) / ticks : 0.0);
    window->findChild<QToolButton*>("butConnect")->click();
    runUntil(idle, 5000);
    return arrived ? 0 : 1;
}
