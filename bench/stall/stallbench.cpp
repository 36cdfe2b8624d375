// Clicks the column headers of the main window's left panel and measures how the GUI thread
// fares: per click, the longest gap between two ticks of a 5 ms timer (the worst stall of the
// event loop), the GUI thread's own CPU time and the time until the panel shows the new order;
// and the process's resident memory after 0, 30 and 100 clicks.
//   stallbench CLICKS COLUMN...        COLUMN: name, ext, size, date or attr, clicked in turn
// Both panels start in $HOME (run it with HOME set to a large folder). With STALL_FTP set to
// "HOST PORT USER PASS" the left panel connects first and the clicks sort the remote listing.
#include "main/main_window.h"
#include "main/panel_controller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <time.h>
#include <vector>

namespace {

constexpr int kProbeMs = 5;
constexpr int kSettleMs = 100; // how long a click is watched after its order shows

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

long residentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6)) / 1024;
    return -1;
}

// The 5 ms probe: its lateness is how long the event loop was held up. It also ends a wait
// once the waited-for condition holds.
class Probe {
public:
    Probe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kProbeMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        clock_.start();
        timer_.start();
    }

    void resetGap() {
        longestGap_ = 0;
        lastWake_ = clock_.elapsed();
    }
    qint64 longestGap() const { return longestGap_; }

    // Runs the event loop until condition holds (checked on each tick) or limitMs passed.
    bool waitFor(std::function<bool()> condition, int limitMs) {
        QEventLoop loop;
        until_ = std::move(condition);
        waiting_ = &loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        waiting_ = nullptr;
        return until_();
    }

private:
    void tick() {
        const qint64 now = clock_.elapsed();
        longestGap_ = std::max(longestGap_, now - lastWake_);
        lastWake_ = now;
        if (waiting_ != nullptr && until_())
            waiting_->quit();
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastWake_ = 0;
    qint64 longestGap_ = 0;
    std::function<bool()> until_;
    QEventLoop* waiting_ = nullptr;
};

QToolButton* headerButton(const PanelWidgets& widgets, const std::string& column) {
    const std::map<std::string, QToolButton*> buttons{{"name", widgets.nameButton},
                                                      {"ext", widgets.typeButton},
                                                      {"size", widgets.sizeButton},
                                                      {"date", widgets.dateButton},
                                                      {"attr", widgets.attrButton}};
    const auto found = buttons.find(column);
    return found == buttons.end() ? nullptr : found->second;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: stallbench CLICKS COLUMN... (name ext size date attr)\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvo Manager");
    const int clicks = std::atoi(argv[1]);
    const std::vector<std::string> columns(argv + 2, argv + argc);

    auto window = std::make_unique<TForm1>();
    window->FormCreate();
    window->show();
    Probe probe;
    PanelController& left = window->panel(PanelSide::Left);
    PanelController& right = window->panel(PanelSide::Right);
    auto idle = [&] {
        return window->engine().remoteCommands().idle() &&
               window->findChild<QWidget*>("Panel5")->isEnabled() &&
               window->findChild<QWidget*>("Panel2")->isEnabled();
    };
    auto showsLocal = [&](PanelController& panel) {
        return panel.model().rowCount() > 1 &&
               &panel.model().listing() == panel.explorer().GetListing().get();
    };
    if (!probe.waitFor([&] { return idle() && showsLocal(left) && showsLocal(right); }, 600000)) {
        std::fprintf(stderr, "stallbench: the panels did not show $HOME\n");
        return 1;
    }
    const char* ftp = std::getenv("STALL_FTP");
    if (ftp != nullptr) {
        std::istringstream fields(ftp);
        std::string host, port, user, pass;
        fields >> host >> port >> user >> pass;
        auto setText = [&](const char* box, const std::string& text) {
            window->findChild<QLineEdit*>(box)->setText(QString::fromStdString(text));
        };
        setText("Edit2", "bench");
        setText("eSrvName", host);
        setText("eSrvPort", port);
        setText("eUserName", user);
        setText("eUserPasswd", pass);
        window->ActivateLeftPanel();
        window->findChild<QToolButton*>("butConnect")->click();
        if (!probe.waitFor(
                [&] { return left.model().remote() && left.model().rowCount() > 1 && idle(); },
                600000)) {
            std::fprintf(stderr, "stallbench: no remote listing\n");
            return 1;
        }
    }
    auto listerListing = [&]() -> const void* {
        if (ftp != nullptr)
            return window->engine().session().shownListing().get();
        return left.explorer().GetListing().get();
    };
    std::printf("%d rows; rss after 0 clicks: %ld MiB\n", left.model().rowCount(), residentMiB());

    qint64 worstGap = 0;
    double worstCpu = 0;
    for (int click = 1; click <= clicks; ++click) {
        const std::string& column = columns[static_cast<std::size_t>(click - 1) % columns.size()];
        QToolButton* button = headerButton(left.widgets(), column);
        if (button == nullptr) {
            std::fprintf(stderr, "stallbench: no column %s\n", column.c_str());
            return 2;
        }
        const void* before = &left.model().listing();
        const double cpuBefore = threadCpuMs();
        QElapsedTimer shown;
        shown.start();
        probe.resetGap();
        QTest::mouseClick(button, Qt::LeftButton);
        const bool sorted = probe.waitFor(
            [&] {
                const void* now = &left.model().listing();
                return now != before && now == listerListing();
            },
            600000);
        const qint64 shownMs = shown.elapsed();
        probe.waitFor([] { return false; }, kSettleMs);
        const double cpu = threadCpuMs() - cpuBefore;
        if (!sorted) {
            std::fprintf(stderr, "stallbench: click %d did not change the order\n", click);
            return 1;
        }
        worstGap = std::max(worstGap, probe.longestGap());
        worstCpu = std::max(worstCpu, cpu);
        std::printf("click %d %s: shown after %lld ms, longest gap %lld ms, GUI CPU %.1f ms\n",
                    click, column.c_str(), static_cast<long long>(shownMs),
                    static_cast<long long>(probe.longestGap()), cpu);
        if (click == 30 || click == 100)
            std::printf("rss after %d clicks: %ld MiB\n", click, residentMiB());
    }
    std::printf("worst: longest gap %lld ms, GUI CPU %.1f ms per click (incl. %d ms settle)\n",
                static_cast<long long>(worstGap), worstCpu, kSettleMs);
    if (ftp != nullptr) {
        window->findChild<QToolButton*>("butConnect")->click();
        probe.waitFor(idle, 5000);
    }
    return 0;
}
