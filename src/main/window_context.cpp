#include "main/window_context.h"

#include "settings/language_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QWidget>

#include <stdexcept>

std::string WindowContext::translate(const std::string& key) const {
    return language.translate(key);
}

QAction* WindowContext::action(const char* name) const {
    auto* item = window.findChild<QAction*>(QString::fromLatin1(name));
    if (item == nullptr)
        throw std::logic_error(std::string("no menu item ") + name);
    return item;
}

void WindowContext::connectAction(QObject* receiver, const char* name,
                                  std::function<void()> handler,
                                  const QKeySequence& shortcut) const {
    QAction* item = action(name);
    item->setEnabled(true);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    QObject::connect(item, &QAction::triggered, receiver, std::move(handler));
}

void WindowContext::makeExclusive(std::initializer_list<const char*> names) const {
    auto* group = new QActionGroup(&window);
    for (const char* name : names) {
        QAction* item = action(name);
        item->setCheckable(true);
        group->addAction(item);
    }
}

void WindowContext::connectButton(QObject* receiver, const char* name,
                                  std::function<void()> handler) const {
    auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (button == nullptr)
        throw std::logic_error(std::string("no button ") + name);
    button->setEnabled(true);
    QObject::connect(button, &QAbstractButton::clicked, receiver, std::move(handler));
}
