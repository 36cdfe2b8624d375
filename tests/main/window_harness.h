#pragma once

#include "main/main_window.h"
#include "main/panel_controller.h"

#include "support/pump.h"
#include "support/scripted_messages.h"
#include "support/shipped_files.h"
#include "support/temp_tree.h"

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
    static QWidget* focused() { return QApplication::focusWidget(); }
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
    // A click (or double click) on the row's name cell, where the user sees it.
    void clickRow(PanelSide side, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(panel(side).grid().viewport(), Qt::LeftButton, modifiers,
                          rowCenter(side, row));
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
    // Puts the panel's cursor on the row whose name cell reads so.
    void select(PanelSide side, const std::string& nameCell) {
        const std::optional<int> row = rowOf(side, nameCell);
        if (!row)
            ADD_FAILURE() << "no row " << nameCell;
        panel(side).selectRow(row.value_or(0));
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
