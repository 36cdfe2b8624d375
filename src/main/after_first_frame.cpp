#include "main/after_first_frame.h"

#include <QEvent>
#include <QMetaObject>

namespace {

// Sees the window's first paint, which is part of its first frame, and queues the work behind
// that frame.
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
            QMetaObject::invokeMethod(watched, std::move(work_), Qt::QueuedConnection);
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
