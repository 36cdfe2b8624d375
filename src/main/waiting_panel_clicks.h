#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

class QWidget;

// Notices a mouse press on a control of a disabled panel: a panel waits while a command runs
// and takes no input, and a disabled button swallows the press without a word, so the window
// says why instead.
class WaitingPanelClicks : public QObject {
public:
    WaitingPanelClicks(std::initializer_list<QWidget*> panels, std::function<void()> pressed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> pressed_;
};
