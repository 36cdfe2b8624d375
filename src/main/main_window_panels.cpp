// The main window's side of the two panels: which one is active, the selected entry, the
// marking and sort commands, and the panel commands the workers run.
#include "app/engine.h"
#include "main/command_gate.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>

namespace listing = tarvo::listing;

PanelController& TForm1::panel(PanelSide side) {
    return panels_->panel(side);
}

void TForm1::ActivateLeftPanel() {
    panels_->activate(PanelSide::Left);
}

void TForm1::connectMarkCommands() {
    // Marks are what a running command works on: they change only while the panels are idle.
    auto onMarks = [this](std::function<void(PanelModel&)> change) {
        return [this, change] {
            if (!gate_->take())
                return;
            change(panels_->active().model());
            panels_->active().repaint();
            panels_->ShowSelectionInfo();
        };
    };
    connectAction("Zaznaczwszystko1", onMarks([](PanelModel& m) { m.markAllButUp(); }),
                  QKeySequence(Qt::CTRL | Qt::Key_A));
    connectAction("Odznaczwszystko1", onMarks([](PanelModel& m) { m.clearMarks(); }),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    connectAction("Odwrzaznaczenie1", onMarks([](PanelModel& m) { m.invertAllButUp(); }),
                  QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    const auto byExtension = [this, onMarks](bool mark) {
        return onMarks([this, mark](PanelModel& m) {
            m.markByExtension(markExtension(QString::fromStdString(panels_->selected().name)),
                              mark);
        });
    };
    connectAction("Extension1", byExtension(true), QKeySequence(Qt::CTRL | Qt::Key_E));
    connectAction("Unselectallwiththesameext1", byExtension(false),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    // Tab itself is taken by the grids, since everywhere else it moves the focus.
    connectAction("Aktywneokno1", [this] { panels_->Aktywneokno1Click(); });
}

void TForm1::connectSortCommands() {
    const std::tuple<const char*, listing::SortColumn, QKeySequence> items[] = {
        {"nazwa1", listing::SortColumn::Name, QKeySequence(Qt::CTRL | Qt::Key_F3)},
        {"typ1", listing::SortColumn::Type, QKeySequence(Qt::CTRL | Qt::Key_F4)},
        {"data1", listing::SortColumn::Date, QKeySequence(Qt::CTRL | Qt::Key_F5)},
        // Ctrl+F6 renames; sorting by size keeps its menu item and its header button.
        {"rozmiar1", listing::SortColumn::Size, QKeySequence()},
        {"atrybuty1", listing::SortColumn::Attr, QKeySequence(Qt::CTRL | Qt::Key_F7)}};
    for (const auto& [name, column, shortcut] : items) {
        connectAction(
            name,
            [this, column = column] {
                if (gate_->take())
                    panels_->active().headerClicked(column);
            },
            shortcut);
    }
}

void TForm1::connectIconCommands() {
    makeExclusive({"Standard1", "All1"});
    connectAction("Standard1", [this] { setIconMode(true); });
    connectAction("All1", [this] { setIconMode(false); });
    setIconMode(panels_->standardIcons());
}

void TForm1::setIconMode(bool standard) {
    panels_->setStandardIcons(standard);
    findChild<QAction*>(standard ? "Standard1" : "All1")->setChecked(true);
}
