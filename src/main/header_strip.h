#pragma once

#include "local/listing/sort_keys.h"
#include "main/panel_grid.h"
#include "main/panel_widgets.h"

#include <QIcon>
#include <QObject>

#include <array>
#include <optional>

// The column header buttons above a panel's grid. A click asks for a sort by that column;
// dragging a button's right edge resizes it, moves the buttons to its right along and resizes
// the matching grid column. The name column spans the name and the type button.
class HeaderStrip : public QObject {
    Q_OBJECT
public:
    HeaderStrip(const PanelWidgets& panel, QObject* parent = nullptr);

    // The arrow of the last sort: image 0 of the glyph list points up, image 1 down.
    void showGlyph(tarvo::listing::SortColumn column, int image);
    void clearGlyphs();

    // Where the type tag starts inside the name column.
    int tagOffset() const;

    // Brief view shows the name column alone, over the grid's whole width; full view brings the
    // other columns back at their design widths and gives the name column the rest.
    void setBriefView(bool brief);
    bool briefView() const { return brief_; }

    // Widens the columns whose caption (bold, as under the pointer) and sort arrow would not fit;
    // called whenever the captions change.
    void fitCaptions();

signals:
    void sortClicked(tarvo::listing::SortColumn column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Slot { NameSlot, TypeSlot, SizeSlot, AttrSlot, DateSlot, SlotCount };

    // Gives the name column what the other columns leave of the strip.
    void fitNameToStrip();
    // Places the buttons side by side at their widths and sizes the grid's columns to match.
    void relayout();
    int slotOf(QObject* button) const;
    int widthOf(int slot) const;
    int captionWidth(int slot) const;

    QWidget* header_;
    PanelGrid* grid_;
    std::array<QToolButton*, SlotCount> buttons_;
    std::array<int, SlotCount> widths_{};
    std::array<int, SlotCount> designWidths_{};
    std::array<int, SlotCount> contentWidths_{}; // what the cells need, captions aside
    bool brief_ = false;
    // While a button's right edge is dragged: how far right of the pointer the edge stood at the
    // press, so that the edge follows the pointer at that distance.
    std::optional<int> dragGrab_;
    std::array<QIcon, 2> ImageList2; // made when the first arrow shows: most panels show none
};
