#pragma once

#include "main/main_window.h"
#include "main/panel_controller.h"

#include "support/pump.h"
#include "support/scripted_messages.h"
#include "support/shipped_files.h"
#include "support/temp_tree.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

// A main window over a scratch program folder (a copy of the shipped files) and a scratch home
// folder, where both panels start. The environment it changes is put back when it goes.
class WindowHarness {
public:
    WindowHarness() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
        useAsProgramFolder(program.path());
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.at(".config").c_str(), 1);
    }
    ~WindowHarness() {
        window.reset();
        unsetenv("XDG_CONFIG_HOME");
        for (const auto& [name, value] : saved_)
            setenv(name.c_str(), value.c_str(), 1);
        unsetenv("TARVO_HOME");
    }

    // Builds the window as the program does, from the files of the program folder, not shown.
    void create() {
        window.reset(); // one window at a time, as in the program
        window = std::make_unique<TForm1>([this](UiBridge&, QWidget*) {
            auto service = std::make_unique<ScriptedMessages>();
            messages = service.get();
            return service;
        });
        window->FormCreate();
    }

    // Builds and shows the window once home holds what the test needs; true when both panels
    // list it.
    bool open() {
        create();
        window->engine().leftExplorer().SetSortKey("name 1-0");
        window->engine().rightExplorer().SetSortKey("name 1-0");
        window->show();
        return showing(PanelSide::Left, home.path()) && showing(PanelSide::Right, home.path());
    }

    // The user's path: keys go to whatever has the keyboard focus and clicks to the place on
    // the screen, so a test fails where a user's key would be lost.
    // Shows the window as the active one, with the keyboard focus on the left panel's grid.
    bool activate() {
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        left().grid().setFocus();
        return pumpUntil([this] { return focused() == &left().grid(); });
    }
    // The widget the keys go to. When a dialog has closed, the window manager gives the focus
    // back to the main window, which puts it where it was.
    static QWidget* focused() {
        QCoreApplication::processEvents();
        if (!QApplication::activeWindow())
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<TForm1*>(top) && top->isVisible())
                    QApplication::setActiveWindow(top);
        return QApplication::focusWidget();
    }
    // A key pressed and released by the user: it goes to the focused widget, or fails the test
    // when nothing has the focus.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = focused();
        if (!target) {
            ADD_FAILURE() << "no widget has the keyboard focus";
            return;
        }
        QTest::keyClick(target, key, modifiers);
    }
    static void typeText(const QString& text) {
        if (QWidget* target = focused())
            QTest::keyClicks(target, text);
        else
            ADD_FAILURE() << "no widget has the keyboard focus";
    }
    // A click at the middle of the widget, given to whatever the user sees there; fails the
    // test when that is not the widget (hidden, covered, elsewhere).
    static void click(QWidget* widget) {
        QWidget* top = widget->window();
        const QPoint point = widget->mapTo(top, widget->rect().center());
        QWidget* under = top->childAt(point);
        if (!under)
            under = top;
        if (!widget->isVisible() || (under != widget && !widget->isAncestorOf(under))) {
            ADD_FAILURE() << widget->objectName().toStdString() << " is not under the pointer";
            return;
        }
        clickAt(under, under->mapFrom(top, point));
    }
    static void clickAt(QWidget* widget, QPoint point, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* top = widget->window();
        QCoreApplication::processEvents(); // a window closed just now lets go of the focus first
        if (QApplication::activeWindow() != top) { // the window manager's click to focus
            top->activateWindow();
            QApplication::setActiveWindow(top);
        }
        QTest::mouseClick(widget, Qt::LeftButton, modifiers, point);
    }
    // The shown window's button with that caption; clicked where it is.
    static void clickButton(QWidget* window, const QString& caption) {
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            if (button->isVisible() && button->text().remove('&') == caption)
                return click(button);
        ADD_FAILURE() << "no button " << caption.toStdString();
    }
    // Clicks into the text box and types over what it held, as a user does.
    static void typeInto(QWidget* box, const QString& text) {
        click(box);
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Delete);
        typeText(text);
    }
    // A click (or double click) on the row's name cell, where the user sees it.
    void clickRow(PanelSide side, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        clickAt(panel(side).grid().viewport(), rowCenter(side, row), modifiers);
    }
    void doubleClickRow(PanelSide side, int row) {
        QWidget* viewport = panel(side).grid().viewport();
        const QPoint point = rowCenter(side, row);
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, point);
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, point);
    }
    QPoint rowCenter(PanelSide side, int row) {
        PanelGrid& grid = panel(side).grid();
        return grid.visualRect(grid.model()->index(row, 0)).center();
    }
    // The name cells the panel shows, top to bottom.
    std::vector<std::string> names(PanelSide side) {
        std::vector<std::string> cells;
        for (int row = 0; row < panel(side).model().rowCount(); ++row)
            cells.push_back(panel(side).model().nameCell(row));
        return cells;
    }
    // The name cell under the panel's cursor.
    std::string currentName(PanelSide side) {
        const PanelModel& model = panel(side).model();
        return model.rowCount() > 0 ? model.nameCell(model.currentRow()) : std::string();
    }

    PanelController& panel(PanelSide side) { return window->panel(side); }
    PanelController& left() { return panel(PanelSide::Left); }
    PanelController& right() { return panel(PanelSide::Right); }
    std::string path(PanelSide side) { return panel(side).explorer().GetPath(); }
    // The panel shows the folder (with that many rows) and both workers are idle.
    bool showing(PanelSide side, const std::string& folder, int rows = -1) {
        return pumpUntil([&] {
            return path(side) == folder &&
                   panel(side).widgets().pathLabel->text().toStdString() == folder &&
                   (rows < 0 || panel(side).model().rowCount() == rows) &&
                   window->engine().remoteCommands().idle() &&
                   window->engine().localCommands().idle();
        });
    }

    // The row whose name cell reads so, if the panel shows one.
    std::optional<int> rowOf(PanelSide side, const std::string& nameCell) {
        for (int row = 0; row < panel(side).model().rowCount(); ++row)
            if (panel(side).model().nameCell(row) == nameCell)
                return row;
        return std::nullopt;
    }
    // Clicks the row whose name cell reads so; mark() then marks each with Space.
    void select(PanelSide side, const std::string& nameCell) {
        if (const std::optional<int> row = rowOf(side, nameCell))
            clickRow(side, *row);
        else
            ADD_FAILURE() << "no row " << nameCell;
    }
    void mark(PanelSide side, std::initializer_list<std::string> nameCells) {
        for (const std::string& name : nameCells) {
            select(side, name);
            press(Qt::Key_Space);
        }
    }
    // Makes the worker's command hold its mailbox until release is set, as a long command does.
    template <class Command>
    static void holdUntil(CommandWorker& worker, const std::atomic<bool>& release) {
        worker.on<Command>([&release](const Command&) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
    }
    QAction* action(const char* name) { return window->findChild<QAction*>(name); }
    void trigger(const char* name) { action(name)->trigger(); }
    std::string tr(const char* key) { return window->Translate(key); }
    template <class Widget = QWidget> Widget* child(const char* name) {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }

    // No command, job or pack runs and the panels take keys.
    bool idle() {
        return window->engine().localCommands().idle() &&
               window->engine().remoteCommands().idle() &&
               window->findChild<QWidget*>("Panel5")->isEnabled() &&
               window->findChild<QWidget*>("Panel2")->isEnabled() && !window->zipJobRunning();
    }
    // Runs everything the workers have posted to the window so far: a check that something did
    // not happen looks once whatever could have made it happen has landed.
    static void landPosted() {
        bool landed = false;
        QMetaObject::invokeMethod(
            qApp, [&landed] { landed = true; }, Qt::QueuedConnection);
        ASSERT_TRUE(pumpUntil([&] { return landed; }));
    }
    // Reads both panels again once idle, and waits until that is done.
    void reread() {
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
        ASSERT_TRUE(postWhenTaken(window->engine().remoteCommands(), cmd::RefreshPanels{}));
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    }
    // Triggers the action and waits until what it started has ended.
    void run(const char* name) {
        trigger(name);
        ASSERT_TRUE(pumpUntil([this] { return idle(); }));
    }
    // The texts of the message boxes shown so far, and the last one's ("" before any).
    std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const MessageRequest& request : messages->shown())
            texts.push_back(request.text);
        return texts;
    }
    std::string lastBox() {
        const auto texts = boxTexts();
        return texts.empty() ? std::string() : texts.back();
    }

    TempTree program;
    TempTree home;
    ScriptedMessages* messages = nullptr;
    std::unique_ptr<TForm1> window;

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};
