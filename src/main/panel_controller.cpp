#include "main/panel_controller.h"

#include "local/local_explorer.h"
#include "main/panel_drops.h"
#include "platform/posix/path.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {

// The sort key a header click applies, and the arrow it shows, by the column's direction flag.
struct HeaderSort {
    std::string key;
    int image;
};

HeaderSort headerSort(listing::SortColumn column, bool flag) {
    switch (column) {
    case listing::SortColumn::Name:
        return flag ? HeaderSort{"name 1-0", 0} : HeaderSort{"name 0-1", 1};
    case listing::SortColumn::Type:
        return flag ? HeaderSort{"type 1-0", 1} : HeaderSort{"type 0-1", 0};
    case listing::SortColumn::Size:
        return flag ? HeaderSort{"size 1-0", 1} : HeaderSort{"size 0-1", 0};
    case listing::SortColumn::Attr:
        return flag ? HeaderSort{"attr 1-0", 1} : HeaderSort{"attr 0-1", 0};
    case listing::SortColumn::Date:
        break;
    }
    return flag ? HeaderSort{"date 1-0", 1} : HeaderSort{"date 0-1", 0};
}

// The column and arrow of one of the ten keys, and the direction flag a click that applies it
// finds.
struct KeyArrow {
    listing::SortColumn column;
    bool flag;
    int image;
};

std::optional<KeyArrow> arrowOf(const std::string& key) {
    for (const listing::SortColumn column :
         {listing::SortColumn::Name, listing::SortColumn::Type, listing::SortColumn::Size,
          listing::SortColumn::Attr, listing::SortColumn::Date}) {
        for (const bool flag : {false, true}) {
            const HeaderSort sort = headerSort(column, flag);
            if (sort.key == key)
                return KeyArrow{column, flag, sort.image};
        }
    }
    return std::nullopt;
}

bool& directionFlag(SortDirections& directions, listing::SortColumn column) {
    switch (column) {
    case listing::SortColumn::Name:
        return directions.name;
    case listing::SortColumn::Type:
        return directions.type;
    case listing::SortColumn::Size:
        return directions.size;
    case listing::SortColumn::Attr:
        return directions.attr;
    case listing::SortColumn::Date:
        break;
    }
    return directions.date;
}

QByteArray sideTag(PanelSide side) {
    return side == PanelSide::Left ? "left" : "right";
}

std::optional<PanelController::GridCommand> gridCommandOf(int key) {
    switch (key) {
    case Qt::Key_F5:
        return PanelController::GridCommand::Copy;
    case Qt::Key_F7:
        return PanelController::GridCommand::MakeFolder;
    case Qt::Key_F8:
    case Qt::Key_Delete:
        return PanelController::GridCommand::Delete;
    default:
        return std::nullopt;
    }
}

const QColor kActiveStrip(0x72, 0x8D, 0xCF);
const QColor kInactiveStrip(0xE8, 0xE8, 0xE8);
const QColor kActivePath(Qt::white);
const QColor kInactivePath(0x80, 0x80, 0x80);

} // namespace

PanelController::PanelController(PanelSide side, const PanelWidgets& widgets,
                                 LocalExplorer& explorer, PanelIcons& icons,
                                 std::function<bool()> standardIcons)
    : side_(side), widgets_(widgets), explorer_(explorer), grid_(widgets.grid), header_(widgets),
      delegate_(model_, icons,
                {std::move(standardIcons), [this] { return isActive(); },
                 [this] { return header_.tagOffset(); }}) {
    grid_->setModel(&model_);
    grid_->setColumnHidden(PanelModel::ExtColumn, true);
    grid_->setItemDelegate(&delegate_);
    grid_->setInput(this);
    connect(&header_, &HeaderStrip::sortClicked, this, &PanelController::headerClicked);
}

void PanelController::repaint() {
    grid_->viewport()->update();
}

void PanelController::setActive(bool active) {
    active_ = active;
    QPalette palette = widgets_.pathRow->palette();
    palette.setColor(QPalette::Window, active ? kActiveStrip : kInactiveStrip);
    widgets_.pathRow->setPalette(palette);
    QPalette label = widgets_.pathLabel->palette();
    label.setColor(QPalette::WindowText, active ? kActivePath : kInactivePath);
    widgets_.pathLabel->setPalette(label);
    repaint();
}

void PanelController::applyTexts(const LanguageTable& texts) {
    header_.fitCaptions();
    model_.setCaptions(widgets_.nameButton->text(), widgets_.typeButton->text(),
                       widgets_.sizeButton->text(), widgets_.attrButton->text(),
                       widgets_.dateButton->text());
    if (!widgets_.totalsLabel->text().isEmpty())
        widgets_.totalsLabel->setText(
            QString::fromStdString(listingTotals(texts, model_.listing())));
    // The session's panel shows its host there, which no language changes.
    if (shownSession_ == 0 && !widgets_.diskLabel->text().isEmpty())
        widgets_.diskLabel->setText(QString::fromStdString(explorer_.DiskLine()));
}

void PanelController::applyView(const PanelView& view) {
    const int scroll = grid_->verticalScrollBar()->value();
    // Another source (the FTP session coming or going) is another folder.
    const bool folderChanged = view.FolderChanged || view.Session != shownSession_;
    shownSession_ = view.Session;
    shownFolder_ = view.Path;
    // Freeing a million names would hold the screen up for tens of milliseconds.
    sorter_.release(model_.setListing(view.Listing, !folderChanged, view.Session != 0));
    if (const auto arrow = arrowOf(view.SortKey))
        header_.showGlyph(arrow->column, arrow->image);
    widgets_.pathLabel->setText(QString::fromStdString(view.PathLabel));
    widgets_.totalsLabel->setText(QString::fromStdString(view.Totals));
    widgets_.diskLabel->setText(QString::fromStdString(view.Disk));
    if (folderChanged || view.PlaceCursor) {
        const int row = model_.folderRow(view.CursorFolder).value_or(0);
        model_.setCurrentRow(row);
        grid_->verticalScrollBar()->setValue(0);
        scrollToShowAtBottom(row);
    } else {
        grid_->verticalScrollBar()->setValue(scroll);
    }
    selectRow(model_.currentRow());
}

void PanelController::setPathLabel(const QString& text) {
    widgets_.pathLabel->setText(text);
}

void PanelController::clearMarks() {
    model_.clearMarks();
    repaint();
    emit selectionChanged();
}

void PanelController::showRow(int row) {
    const QModelIndex index = model_.index(row, PanelModel::NameColumn);
    grid_->showCursor(index);
    grid_->scrollTo(index);
}

void PanelController::scrollToShowAtBottom(int row) {
    // The found row becomes the last visible one, or the grid scrolls to its beginning.
    int top = row - grid_->visibleRowCount() + 1;
    if (top < 0 || top >= model_.rowCount())
        top = 0;
    grid_->verticalScrollBar()->setValue(top);
}

void PanelController::selectRow(int row, bool rangeMark) {
    row = std::clamp(row, 0, model_.rowCount() - 1);
    if (rangeMark && row != model_.currentRow()) {
        model_.toggleRange(row, model_.currentRow());
        repaint();
    }
    model_.setCurrentRow(row);
    showRow(row);
    if (isActive())
        emit currentEntryChanged();
    emit selectionChanged();
    repaint();
}

void PanelController::setSession(FTPCom& session) {
    remote_.emplace(session);
}

PanelSource& PanelController::source() {
    if (remote_ && remote_->shownIn(side_))
        return *remote_;
    return explorer_;
}

RowOrigin PanelController::origin() const {
    return {panelNumber(side_), shownSession_, shownFolder_};
}

std::string PanelController::pathOf(int row) const {
    const listing::SearchRecord* record = model_.recordAt(row);
    if (record == nullptr) {
        // A server is asked for the parent, which may differ from the text's parent where a
        // link led into the folder; locally the panel goes back the way it came.
        return shownSession_ != 0 ? joinPath(shownFolder_, "..") : folderOf(shownFolder_);
    }
    return record->Name == "." ? shownFolder_ : joinPath(shownFolder_, record->Name);
}

void PanelController::headerClicked(listing::SortColumn column) {
    bool& flag = directionFlag(directions_, column);
    const std::string key = headerSort(column, flag).key;
    flag = !flag;
    PanelSource& sorted = source();
    // Set at once, so that a listing arriving meanwhile is stored in this order.
    sorted.SetSortKey(key);
    sorter_.start([&sorted, key] {
        if (sorted.Sort(key, true))
            sorted.FillGrid();
    });
}

void PanelController::showSortKey(const std::string& key) {
    if (const auto arrow = arrowOf(key)) {
        header_.showGlyph(arrow->column, arrow->image);
        directionFlag(directions_, arrow->column) = !arrow->flag;
    }
}

void PanelController::markKey(bool moveDown) {
    const int row = model_.currentRow();
    model_.toggleMark(row);
    if (moveDown && row < model_.rowCount() - 1)
        model_.setCurrentRow(row + 1);
    selectRow(model_.currentRow());
}

bool PanelController::gridKeyPress(QKeyEvent* event) {
    if (const auto command = gridCommandOf(event->key())) {
        emit gridCommand(*command);
        return true;
    }
    const int current = model_.currentRow();
    const int page = std::max(1, grid_->visibleRowCount() - 1);
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (isSwitchKey_ && !isSwitchKey_(*event))
            return false; // moves the focus, as Tab does elsewhere
        emit switchPanelRequested();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit openRequested();
        return true;
    case Qt::Key_Backspace:
        emit upRequested();
        return true;
    case Qt::Key_Asterisk:
        // The menu's keypad shortcut never matches under X11, so the grid takes the key itself.
        if (event->modifiers() & Qt::KeypadModifier) {
            emit invertMarksRequested();
            return true;
        }
        break;
    case Qt::Key_Insert:
        markKey(true);
        return true;
    case Qt::Key_Space:
        markKey(false);
        return true;
    case Qt::Key_Up:
        selectRow(current - 1);
        return true;
    case Qt::Key_Down:
        selectRow(current + 1);
        return true;
    case Qt::Key_PageUp:
        selectRow(current - page);
        return true;
    case Qt::Key_PageDown:
        selectRow(current + page);
        return true;
    case Qt::Key_Home:
        selectRow(0);
        return true;
    case Qt::Key_End:
        selectRow(model_.rowCount() - 1);
        return true;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    if (text == QStringLiteral("-")) {
        markKey(true);
        return true;
    }
    if (const auto row = quickSearch(search_, model_.listing(), text)) {
        model_.setCurrentRow(*row);
        scrollToShowAtBottom(*row);
    }
    selectRow(model_.currentRow());
    return true;
}

int PanelController::rowAt(const QMouseEvent* event) const {
    return grid_->rowAt(static_cast<int>(event->position().y()));
}

void PanelController::gridMousePress(QMouseEvent* event) {
    emit activationRequested();
    const int row = rowAt(event);
    if (event->button() == Qt::LeftButton) {
        if (row >= 0) {
            selectRow(row, event->modifiers() & Qt::ShiftModifier);
            dragStart_ = event->position().toPoint();
        }
        return;
    }
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        sweep_.begin(row);
        if (row >= 0)
            dragMarkTo(row);
    }
}

void PanelController::gridMouseMove(QMouseEvent* event) {
    if (dragStart_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - *dragStart_).manhattanLength() >=
            QApplication::startDragDistance()) {
        dragStart_.reset();
        startRowDrag();
        return;
    }
    if (!sweep_.active())
        return;
    const int row = rowAt(event);
    if (row >= 0)
        dragMarkTo(row);
}

void PanelController::dragMarkTo(int row) {
    if (sweep_.moveTo(row, model_.rowCount(), [this](int toggled) { model_.toggleMark(toggled); }))
        selectRow(row);
    repaint();
}

void PanelController::gridMouseRelease(QMouseEvent*) {
    dragStart_.reset();
    sweep_.end();
    repaint();
    emit selectionChanged();
}

void PanelController::gridMouseLeave() {
    sweep_.end();
}

void PanelController::gridDoubleClick(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rowAt(event) >= 0)
        emit openRequested();
}

void PanelController::startRowDrag() {
    auto* drag = new QDrag(grid_);
    auto* data = new QMimeData;
    data->setData(kPanelRowsMimeType, sideTag(side_));
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
    drag->deleteLater();
}

void PanelController::gridDragMove(QDragMoveEvent* event) {
    const QMimeData* data = event->mimeData();
    // Rows only from the other panel; from other programs, local files only; always a copy.
    const bool accepted = data->hasFormat(kPanelRowsMimeType)
                              ? data->data(kPanelRowsMimeType) != sideTag(side_)
                              : data->hasUrls() && !localDropPaths(data->urls()).empty();
    if (accepted) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void PanelController::gridDrop(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data->hasFormat(kPanelRowsMimeType)) {
        if (data->data(kPanelRowsMimeType) == sideTag(side_)) {
            event->ignore();
            return;
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit rowsDropped();
        return;
    }
    std::vector<std::string> paths = localDropPaths(data->urls());
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(std::move(paths));
}
