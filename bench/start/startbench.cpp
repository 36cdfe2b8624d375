// Starts the program's main window as the program does and ends as soon as both panels have
// painted the listings of their start folders. Prints what each panel lists and, last, the time
// from the start of main. The program folder is TARVO_HOME (or this program's folder).
#include "main/main_window.h"
#include "main/panel_controller.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

// Counts the paints of a grid once its listing is in place.
class PaintWatch : public QObject {
public:
    bool armed = false;
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (armed && event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

bool showsItsListing(TForm1& window, PanelSide side) {
    PanelController& panel = window.panel(side);
    return &panel.model().listing() == panel.explorer().GetListing().get() &&
           window.engine().remoteCommands().idle();
}

} // namespace

int main(int argc, char** argv) {
    const auto begun = std::chrono::steady_clock::now();
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvo Manager");

    auto window = std::make_unique<TForm1>();
    window->FormCreate();
    window->show();

    const std::array<PanelSide, 2> sides{PanelSide::Left, PanelSide::Right};
    std::array<PaintWatch, 2> watches;
    for (std::size_t i = 0; i < sides.size(); ++i)
        window->panel(sides[i]).grid().viewport()->installEventFilter(&watches[i]);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        bool done = true;
        for (std::size_t i = 0; i < sides.size(); ++i) {
            if (!watches[i].armed && showsItsListing(*window, sides[i])) {
                watches[i].armed = true;
                window->panel(sides[i]).grid().viewport()->update();
            }
            done = done && watches[i].painted;
        }
        if (!done)
            return;
        poll.stop();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        for (std::size_t i = 0; i < sides.size(); ++i) {
            LocalExplorer& explorer = window->panel(sides[i]).explorer();
            const auto listing = explorer.GetListing();
            std::printf("%s %s %zu\n", i == 0 ? "left" : "right", explorer.GetPath().c_str(),
                        listing->Dirs.size() + listing->Files.size());
        }
        std::printf("started in %.3f s\n", seconds);
        QApplication::exit(0);
    });
    poll.start(1);
    QTimer::singleShot(10000, [] {
        std::fprintf(stderr, "startbench: the panels did not show their listings within 10 s\n");
        QApplication::exit(1);
    });
    return QApplication::exec();
}
