#pragma once

#include <QTableView>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFocusEvent;
class QKeyEvent;
class QMouseEvent;

// What a panel does with the input of its grid.
class PanelGridInput {
public:
    virtual ~PanelGridInput() = default;
    virtual bool gridKeyPress(QKeyEvent* event) = 0; // true when the key was used
    virtual void gridMousePress(QMouseEvent* event) = 0;
    virtual void gridMouseMove(QMouseEvent* event) = 0;
    virtual void gridMouseRelease(QMouseEvent* event) = 0;
    virtual void gridMouseLeave() = 0;
    virtual void gridDoubleClick(QMouseEvent* event) = 0;
    // Something is dragged over the grid (also when it enters): accept it or not.
    virtual void gridDragMove(QDragMoveEvent* event) = 0;
    virtual void gridDrop(QDropEvent* event) = 0;
};

// The grid of a panel. The panel decides what keys and mouse buttons do (marking, quick search,
// opening entries), so the grid hands them over instead of applying the view's own selection.
class PanelGrid : public QTableView {
    Q_OBJECT
public:
    explicit PanelGrid(QWidget* parent = nullptr);

    void setInput(PanelGridInput* input) { input_ = input; }

    // Rows fully visible in the viewport.
    int visibleRowCount() const;

    // The columns always fit the panel: scrolling to a cell never moves them sideways.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // Puts the panel's cursor on the cell's row: the row is selected, and the cell is the view's
    // current one while the grid has the keyboard focus.
    void showCursor(const QModelIndex& index);

protected:
    bool event(QEvent* event) override;
    // Screen readers take the view's current cell for the focused one: only the grid the keys go
    // to has one, so they can tell which panel is active.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    PanelGridInput* input_ = nullptr;
    QPersistentModelIndex cursor_;
};
