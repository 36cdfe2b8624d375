#pragma once

#include "frontend/frontend.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class Engine;
class LanguageTable;
class PanelController;
class PanelIcons;
class WindowSwitchKey;
struct PanelWidgets;

// The entry under the active panel's cursor, as the commands that act on one entry take it.
struct SelectedEntry {
    std::string name; // its name cell: a folder's in brackets
    int attributes = 0;
    int mode = 0; // a remote entry's permission bits
    std::uint64_t size = 0;
    int row = 0;
};

// The two panels as the window's commands see them: which one is active (a click into a panel
// or onto its path row, or the switch key, makes it so), the entry under its cursor, whether
// they take input, the line that counts the marks, and the icons they draw.
class PanelPair : public QObject {
    Q_OBJECT
public:
    // pressedWhileWaiting: a control of a disabled panel was pressed.
    PanelPair(const PanelWidgets& left, const PanelWidgets& right, Engine& engine,
              PanelIcons& icons, const LanguageTable& language, const WindowSwitchKey& switchKey,
              std::function<void()> pressedWhileWaiting);
    ~PanelPair() override;

    PanelController& panel(PanelSide side);
    const PanelController& panel(PanelSide side) const;
    PanelController& active() { return panel(activeSide_); }
    PanelSide activeSide() const { return activeSide_; }
    int activeNumber() const { return panelNumber(activeSide_); }
    void activate(PanelSide side);
    void Aktywneokno1Click(); // switch panels
    const SelectedEntry& selected() const { return selected_; }

    // Whether both take input: disabled panels mean that a command runs.
    bool idle() const;
    void setEnabled(bool enabled);
    // The same, as the engine asks it: disabling hands the keyboard focus on to the next control
    // (the connect button), so the grid that had it takes it back when the panels return, unless
    // the user has moved it meanwhile.
    void setEnabledKeepingFocus(bool enabled);
    void focusActiveGrid();

    // Rewrites the selection line of the active panel: marked files, folders and their size.
    void ShowSelectionInfo();
    void showSelectionLine(PanelController& panel);
    // A job is done with the entry `name` of that panel row: the row's mark goes, unless the
    // row shows another entry by now.
    void clearRowMark(PanelSide side, int row, const std::string& name);

    // Icon mode: the image list by extension, or the desktop's icons.
    bool standardIcons() const { return standardIcons_; }
    void setStandardIcons(bool standard);

signals:
    void activated(); // a panel became the active one: the commands that depend on it follow

private:
    void RefreshRowIfVisible(int row);
    // The active panel's current row changed: the selected entry follows it.
    void entrySelected(PanelController& panel);

    const LanguageTable& language_;
    std::unique_ptr<PanelController> left_;
    std::unique_ptr<PanelController> right_;
    PanelSide activeSide_ = PanelSide::Left;
    SelectedEntry selected_;
    bool standardIcons_ = false;
    // Whether disabled panels took the keyboard focus from a grid, and where it went.
    bool gridFocusLent_ = false;
    QPointer<QWidget> gridFocusLentTo_;
};
