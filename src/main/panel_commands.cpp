#include "main/panel_commands.h"

#include "main/command_gate.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"

#include <QAction>

namespace listing = tarvo::listing;

PanelCommands::PanelCommands(const WindowContext& context) : context_(context) {
    connectMarkCommands();
    connectSortCommands();
    context_.makeExclusive({"Standard1", "All1"});
    context_.connectAction(this, "Standard1", [this] { setIconMode(true); });
    context_.connectAction(this, "All1", [this] { setIconMode(false); });
    setIconMode(context_.panels.standardIcons());
    context_.connectAction(
        this, "brief1", [this] { brief1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F1));
    context_.connectAction(
        this, "full1", [this] { full1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F2));
}

void PanelCommands::connectMarkCommands() {
    // Marks are what a running command works on: they change only while the panels are idle.
    auto onMarks = [this](std::function<void(PanelModel&)> change) {
        return [this, change] {
            if (!context_.gate.take())
                return;
            change(context_.panels.active().model());
            context_.panels.active().repaint();
            context_.panels.ShowSelectionInfo();
        };
    };
    context_.connectAction(this, "Zaznaczwszystko1",
                           onMarks([](PanelModel& m) { m.markAllButUp(); }),
                           QKeySequence(Qt::CTRL | Qt::Key_A));
    context_.connectAction(this, "Odznaczwszystko1", onMarks([](PanelModel& m) { m.clearMarks(); }),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    context_.connectAction(this, "Odwrzaznaczenie1",
                           onMarks([](PanelModel& m) { m.invertAllButUp(); }),
                           QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    const auto byExtension = [this, onMarks](bool mark) {
        return onMarks([this, mark](PanelModel& m) {
            m.markByExtension(
                markExtension(QString::fromStdString(context_.panels.selected().name)), mark);
        });
    };
    context_.connectAction(this, "Extension1", byExtension(true),
                           QKeySequence(Qt::CTRL | Qt::Key_E));
    context_.connectAction(this, "Unselectallwiththesameext1", byExtension(false),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    // Tab itself is taken by the grids, since everywhere else it moves the focus.
    context_.connectAction(this, "Aktywneokno1", [this] { context_.panels.Aktywneokno1Click(); });
    // "*" on the numeric keypad, in a grid.
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        connect(&context_.panels.panel(side), &PanelController::invertMarksRequested, this,
                [this] { context_.action("Odwrzaznaczenie1")->trigger(); });
}

void PanelCommands::connectSortCommands() {
    const std::tuple<const char*, listing::SortColumn, QKeySequence> items[] = {
        {"nazwa1", listing::SortColumn::Name, QKeySequence(Qt::CTRL | Qt::Key_F3)},
        {"typ1", listing::SortColumn::Type, QKeySequence(Qt::CTRL | Qt::Key_F4)},
        {"data1", listing::SortColumn::Date, QKeySequence(Qt::CTRL | Qt::Key_F5)},
        // Ctrl+F6 renames; sorting by size keeps its menu item and its header button.
        {"rozmiar1", listing::SortColumn::Size, QKeySequence()},
        {"atrybuty1", listing::SortColumn::Attr, QKeySequence(Qt::CTRL | Qt::Key_F7)}};
    for (const auto& [name, column, shortcut] : items) {
        context_.connectAction(
            this, name,
            [this, column = column] {
                if (context_.gate.take())
                    context_.panels.active().headerClicked(column);
            },
            shortcut);
    }
}

void PanelCommands::setIconMode(bool standard) {
    context_.panels.setStandardIcons(standard);
    context_.action(standard ? "Standard1" : "All1")->setChecked(true);
}

void PanelCommands::brief1Click() {
    context_.panels.active().setBriefView(true);
}

void PanelCommands::full1Click() {
    context_.panels.active().setBriefView(false);
}
