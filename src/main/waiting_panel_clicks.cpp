#include "main/waiting_panel_clicks.h"

#include <QEvent>
#include <QWidget>

WaitingPanelClicks::WaitingPanelClicks(std::initializer_list<QWidget*> panels,
                                       std::function<void()> pressed)
    : QObject(*panels.begin()), pressed_(std::move(pressed)) {
    for (QWidget* panel : panels)
        for (QWidget* control : panel->findChildren<QWidget*>())
            control->installEventFilter(this);
}

bool WaitingPanelClicks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && !static_cast<QWidget*>(watched)->isEnabled())
        pressed_();
    return false;
}
