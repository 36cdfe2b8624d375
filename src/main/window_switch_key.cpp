#include "main/window_switch_key.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>

#include <memory>

WindowSwitchKey::WindowSwitchKey(QAction* item, QObject* parent) : QObject(parent), item_(item) {
    // The item shows the key; the grids take it themselves, since everywhere else in the window
    // Tab moves the focus.
    item_->setShortcutContext(Qt::WidgetShortcut);
    show();
}

void WindowSwitchKey::holdWhileOpen(QWidget* dialog) {
    ++openDialogs_;
    show();
    auto released = std::make_shared<bool>(false);
    const auto releaseOnce = [this, released] {
        if (*released)
            return;
        *released = true;
        release();
    };
    if (auto* modeless = qobject_cast<QDialog*>(dialog))
        connect(modeless, &QDialog::finished, this, releaseOnce);
    connect(dialog, &QObject::destroyed, this, releaseOnce);
}

void WindowSwitchKey::release() {
    --openDialogs_;
    show();
}

QKeySequence WindowSwitchKey::current() const {
    return openDialogs_ > 0 ? QKeySequence(Qt::CTRL | Qt::Key_Tab) : QKeySequence(Qt::Key_Tab);
}

bool WindowSwitchKey::matches(const QKeyEvent& event) const {
    // Shift turns Tab into Backtab, which switches the same way.
    if (event.key() != Qt::Key_Tab && event.key() != Qt::Key_Backtab)
        return false;
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return openDialogs_ > 0 ? modifiers == Qt::ControlModifier : modifiers == Qt::NoModifier;
}

void WindowSwitchKey::show() {
    item_->setShortcut(current());
}
