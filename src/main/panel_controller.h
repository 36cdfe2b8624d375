#pragma once

#include "app/quick_search.h"
#include "frontend/frontend.h"
#include "ftp/remote_panel_source.h"
#include "main/background_sort.h"
#include "main/header_strip.h"
#include "main/panel_delegate.h"
#include "main/panel_grid.h"
#include "main/panel_model.h"
#include "main/panel_widgets.h"
#include "main/row_sweep.h"

#include <QPoint>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class LanguageTable;
class LocalExplorer;
class PanelIcons;

// Which way each column's next header click sorts: set, by its "1-0" key.
struct SortDirections {
    bool name = false;
    bool type = false;
    bool size = true;
    bool attr = true;
    bool date = true;
};

// The behaviour of one panel on the screen: it shows the listings its explorer publishes,
// keeps the current row and the marks, and turns the grid's keys and mouse into marking, quick
// search, sorting and opening entries. Both panels are instances of it. What concerns more than
// this panel (activation, the selected entry, commands) it asks of the window through signals.
class PanelController : public QObject, public PanelGridInput {
    Q_OBJECT
public:
    // File commands the grid's own keys give (also with a modifier the menu does not take).
    enum class GridCommand { Copy, MakeFolder, Delete };

    PanelController(PanelSide side, const PanelWidgets& widgets, LocalExplorer& explorer,
                    PanelIcons& icons, std::function<bool()> standardIcons);

    PanelSide side() const { return side_; }
    PanelModel& model() { return model_; }
    const PanelModel& model() const { return model_; }
    PanelGrid& grid() { return *grid_; }
    LocalExplorer& explorer() { return explorer_; }
    // The FTP session while it shows in this panel, the local explorer otherwise.
    PanelSource& source();
    // Where the rows shown came from: what a command built from them acts on.
    RowOrigin origin() const;
    // The full path of the entry in that row; for "[..]" the parent of the folder shown.
    std::string pathOf(int row) const;
    const PanelWidgets& widgets() const { return widgets_; }

    // Screen side of the explorer's publications.
    void applyView(const PanelView& view);
    void setPathLabel(const QString& text);
    void clearMarks();

    // Makes the row current. With rangeMark the rows from the previous current row to this one
    // toggle their marks. The selected-entry fields follow only while this panel is active.
    void selectRow(int row, bool rangeMark = false);

    // Marks the panel active or not, with the header colours that show it.
    void setActive(bool active);
    bool isActive() const { return active_; }

    // While the FTP session shows in this panel, it is the panel's source.
    void setSession(FTPCom& session);

    // Sorts on a thread of its own; the arrow changes when the sorted listing shows, since each
    // view brings the key of its order.
    void headerClicked(tarvo::listing::SortColumn column);
    // Shows a sort key that was applied elsewhere (the settings of the last run) as a header
    // click would have left it: the arrow on its column, the column's next click reversing it.
    // A key that is not exactly one of the ten changes nothing.
    void showSortKey(const std::string& key);
    void setBriefView(bool brief) { header_.setBriefView(brief); }
    bool briefView() const { return header_.briefView(); }
    // Writes again what depends on the language: the header's column widths for its captions
    // and the totals line.
    void applyTexts(const LanguageTable& texts);
    void repaint();
    // Which key presses switch panels; without it every Tab does.
    void setSwitchKey(std::function<bool(const QKeyEvent&)> isSwitchKey) {
        isSwitchKey_ = std::move(isSwitchKey);
    }

    // PanelGridInput
    bool gridKeyPress(QKeyEvent* event) override;
    void gridMousePress(QMouseEvent* event) override;
    void gridMouseMove(QMouseEvent* event) override;
    void gridMouseRelease(QMouseEvent* event) override;
    void gridMouseLeave() override;
    void gridDoubleClick(QMouseEvent* event) override;
    void gridDragMove(QDragMoveEvent* event) override;
    void gridDrop(QDropEvent* event) override;

signals:
    void activationRequested();  // a click in the grid
    void switchPanelRequested(); // Tab
    void openRequested();        // Enter or a double click on the current row
    void upRequested();          // Backspace
    void invertMarksRequested(); // "*" on the numeric keypad
    void currentEntryChanged();  // the current row of the active panel moved
    void selectionChanged();     // marks or the current row changed
    void gridCommand(PanelController::GridCommand command);
    void rowsDropped();                                // rows of the other panel dropped here
    void filesDropped(std::vector<std::string> paths); // local files from another program

private:
    void showRow(int row);
    void scrollToShowAtBottom(int row);
    void markKey(bool moveDown);
    void dragMarkTo(int row);
    int rowAt(const QMouseEvent* event) const;
    void startRowDrag();

    const PanelSide side_;
    PanelWidgets widgets_;
    LocalExplorer& explorer_;
    PanelModel model_;
    PanelGrid* grid_;
    HeaderStrip header_;
    PanelDelegate delegate_;
    QuickSearchState search_;
    RowSweep sweep_;
    std::optional<QPoint> dragStart_; // where the left button went down on a row
    bool active_ = false;
    std::function<bool(const QKeyEvent&)> isSwitchKey_;
    std::optional<RemotePanelSource> remote_;
    std::uint64_t shownSession_ = 0; // the FTP connection whose listing is shown; 0 local
    std::string shownFolder_;        // the folder the rows shown were listed from
    // The panel's, whichever source it shows: the FTP session sorts on from where the local
    // folder left off, and the folder from where the session did.
    SortDirections directions_;
    BackgroundSort sorter_; // last: its sorts use the panel's sources
};
