#include "main/after_first_frame.h"

#include <QEvent>
#include <QTimer>

#include <chrono>

namespace {

// Long enough for the display server to have put the frame on the screen, short against the
// time a user takes to reach for a command.
constexpr std::chrono::milliseconds kAfterFrame{100};

// Sees the window's first paint, which is part of its first frame.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, std::function<void()> work)
        : QObject(&window), work_(std::move(work)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(kAfterFrame, watched, std::move(work_));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> work_;
};

} // namespace

void afterFirstFrame(QWidget& window, std::function<void()> work) {
    new FirstPaintWatch(window, std::move(work));
}
