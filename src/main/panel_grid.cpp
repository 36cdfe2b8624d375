#include "main/panel_grid.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

PanelGrid::PanelGrid(QWidget* parent) : QTableView(parent) {
    setTabKeyNavigation(false);
    setMouseTracking(true);
    // Drops are the panel's to judge; drags start in the panel's own mouse handling.
    setAcceptDrops(true);
    setDragEnabled(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

int PanelGrid::visibleRowCount() const {
    const int height = verticalHeader()->defaultSectionSize();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

void PanelGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(0);
}

void PanelGrid::showCursor(const QModelIndex& index) {
    cursor_ = index;
    const auto row = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    if (hasFocus())
        selectionModel()->setCurrentIndex(index, row);
    else
        selectionModel()->select(index, row);
}

void PanelGrid::focusInEvent(QFocusEvent* event) {
    if (cursor_.isValid()) {
        // Without scrolling: rows the wheel brought into view stay there.
        const bool scroll = hasAutoScroll();
        setAutoScroll(false);
        selectionModel()->setCurrentIndex(cursor_, QItemSelectionModel::NoUpdate);
        setAutoScroll(scroll);
    }
    QTableView::focusInEvent(event);
}

void PanelGrid::focusOutEvent(QFocusEvent* event) {
    selectionModel()->clearCurrentIndex();
    QTableView::focusOutEvent(event);
}

bool PanelGrid::event(QEvent* event) {
    // Tab switches panels; the widget would otherwise take it to move the focus.
    if (event->type() == QEvent::KeyPress && input_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (input_->gridKeyPress(key))
                return true;
        }
    }
    return QTableView::event(event);
}

void PanelGrid::keyPressEvent(QKeyEvent* event) {
    if (!input_ || !input_->gridKeyPress(event))
        QTableView::keyPressEvent(event);
}

void PanelGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (input_)
        input_->gridMousePress(event);
}

void PanelGrid::mouseMoveEvent(QMouseEvent* event) {
    if (input_)
        input_->gridMouseMove(event);
}

void PanelGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (input_)
        input_->gridMouseRelease(event);
}

void PanelGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (input_)
        input_->gridDoubleClick(event);
}

void PanelGrid::leaveEvent(QEvent* event) {
    if (input_)
        input_->gridMouseLeave();
    QTableView::leaveEvent(event);
}

void PanelGrid::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void PanelGrid::dragMoveEvent(QDragMoveEvent* event) {
    if (input_)
        input_->gridDragMove(event);
    else
        event->ignore();
}

void PanelGrid::dropEvent(QDropEvent* event) {
    if (input_)
        input_->gridDrop(event);
    else
        event->ignore();
}
