// Starts the program's main window as the program does and ends as soon as both panels have
// painted the listings of their start folders: a grid's first paint that begins with its listing
// in place. Prints what each panel lists and, last, the time
// from the start of main. The program folder is TARVO_HOME (or this program's folder).
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/font_config_load.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

bool showsItsListing(TForm1& window, PanelSide side) {
    PanelController& panel = window.panel(side);
    return &panel.model().listing() == panel.explorer().GetListing().get() &&
           window.engine().remoteCommands().idle();
}

// Notes the first paint of a grid that begins with its listing in place: that paint shows it.
class PaintWatch : public QObject {
public:
    PaintWatch(TForm1& window, PanelSide side, std::function<void()> painted)
        : window_(window), side_(side), painted_(std::move(painted)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && showsItsListing(window_, side_)) {
            watched->removeEventFilter(this);
            painted_();
        }
        return false;
    }

private:
    TForm1& window_;
    PanelSide side_;
    std::function<void()> painted_;
};

} // namespace

int main(int argc, char** argv) {
    const auto begun = std::chrono::steady_clock::now();
    std::signal(SIGPIPE, SIG_IGN);
    beginFontConfigLoad();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvo Manager");

    auto window = std::make_unique<TForm1>();
    window->FormCreate();
    window->show();

    const std::array<PanelSide, 2> sides{PanelSide::Left, PanelSide::Right};
    // Ends once both grids have painted, after the second paint is done.
    int unpainted = 2;
    const auto finish = [&] {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        for (const PanelSide side : sides) {
            LocalExplorer& explorer = window->panel(side).explorer();
            const auto listing = explorer.GetListing();
            std::printf("%s %s %zu\n", side == PanelSide::Left ? "left" : "right",
                        explorer.GetPath().c_str(), listing->Dirs.size() + listing->Files.size());
        }
        std::printf("started in %.3f s\n", seconds);
        QApplication::exit(0);
    };
    std::vector<std::unique_ptr<PaintWatch>> watches;
    for (const PanelSide side : sides) {
        watches.push_back(std::make_unique<PaintWatch>(*window, side, [&] {
            if (--unpainted == 0)
                QMetaObject::invokeMethod(&app, finish, Qt::QueuedConnection);
        }));
        window->panel(side).grid().viewport()->installEventFilter(watches.back().get());
    }
    QTimer::singleShot(10000, [] {
        std::fprintf(stderr, "startbench: the panels did not show their listings within 10 s\n");
        QApplication::exit(1);
    });
    return QApplication::exec();
}
