#pragma once

#include <QKeySequence>

#include <functional>
#include <initializer_list>
#include <string>

class CommandGate;
class Engine;
class LanguageTable;
class MessageService;
class PanelPair;
class QAction;
class QObject;
class QWidget;
class UiBridge;
class WindowSwitchKey;

// What the window's command groups share, all owned by the window and outliving them: the
// window (the parent of their dialogs, the owner of their menu items), the engine under it, the
// two panels, the gate every command of the user's passes, the boxes, the texts, the bridge for
// what other threads show, and the panel switch's key that dialogs hold.
struct WindowContext {
    QWidget& window;
    Engine& engine;
    PanelPair& panels;
    CommandGate& gate;
    MessageService& messages;
    const LanguageTable& language;
    UiBridge& bridge;
    WindowSwitchKey& switchKey;

    std::string translate(const std::string& key) const;
    // The window's menu item of that name, which must exist.
    QAction* action(const char* name) const;
    // Enables the menu item, gives it the key (if any) and runs the handler when it is
    // triggered, while the receiver lives.
    void connectAction(QObject* receiver, const char* name, std::function<void()> handler,
                       const QKeySequence& shortcut = {}) const;
    // The menu items become check items of which one at a time carries the mark.
    void makeExclusive(std::initializer_list<const char*> names) const;
    // Enables the window's button of that name, which must exist, and runs the handler when it
    // is clicked, while the receiver lives.
    void connectButton(QObject* receiver, const char* name, std::function<void()> handler) const;
};
