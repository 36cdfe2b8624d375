#include "main/panel_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

PanelGrid::PanelGrid(QWidget* parent) : QTableView(parent) {
    setTabKeyNavigation(false);
    setMouseTracking(true);
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
