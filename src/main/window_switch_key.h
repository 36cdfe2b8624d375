#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QKeyEvent;
class QWidget;

// The key of the main window's panel switch. It is Tab, except while a dialog that answers
// Enter and Esc itself (settings of a site, permissions, attributes, language) is open: then it
// is Ctrl+Tab, so that Tab moves on between the controls, and it is Tab again once the last of
// them has closed. The menu item shows the key in force.
class WindowSwitchKey : public QObject {
    Q_OBJECT
public:
    explicit WindowSwitchKey(QAction* item, QObject* parent = nullptr);

    // Counts the dialog as open from now until it finishes or is destroyed, whichever comes
    // first.
    void holdWhileOpen(QWidget* dialog);

    QKeySequence current() const;
    // Whether the key press is the panel switch now.
    bool matches(const QKeyEvent& event) const;

private:
    void release();
    void show();

    QAction* item_;
    int openDialogs_ = 0;
};
