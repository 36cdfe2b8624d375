#include "main/header_strip.h"

#include "local/listing/cell_text.h"
#include "main/panel_model.h"
#include "main/small_style_icon.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {

constexpr int kIconColumn = 20;
constexpr int kMinimumName = 40;
constexpr int kDragZone = 15;   // a press this close to the right edge starts a resize
constexpr int kCursorZone = 12; // the resize cursor shows this close to it

constexpr std::array<listing::SortColumn, 5> kSlotColumns{
    listing::SortColumn::Name, listing::SortColumn::Type, listing::SortColumn::Size,
    listing::SortColumn::Attr, listing::SortColumn::Date};

} // namespace

HeaderStrip::HeaderStrip(const PanelWidgets& panel, QObject* parent)
    : QObject(parent), header_(panel.header),
      grid_(panel.grid), buttons_{panel.nameButton, panel.typeButton, panel.sizeButton,
                                  panel.attrButton, panel.dateButton} {
    header_->installEventFilter(this);
    for (int slot = 0; slot < SlotCount; ++slot) {
        QToolButton* button = buttons_[static_cast<std::size_t>(slot)];
        button->setParent(header_);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        const listing::SortColumn column = kSlotColumns[static_cast<std::size_t>(slot)];
        connect(button, &QToolButton::clicked, this, [this, column] { emit sortClicked(column); });
    }
    header_->setMinimumHeight(buttons_[NameSlot]->sizeHint().height());
    // Start widths that fit the grid's bold text: the widest size, the attribute letters and a
    // date in the user's format.
    QFont bold = grid_->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const QString sampleDate =
        listing::dateText(1767225599, QLocale::system()); // 31 Dec, late in the evening
    widths_[TypeSlot] = metrics.horizontalAdvance(QStringLiteral(" WWWW")) + 4;
    widths_[SizeSlot] = metrics.horizontalAdvance(QStringLiteral("00000000000")) + 6;
    widths_[AttrSlot] = metrics.horizontalAdvance(QStringLiteral("rahs")) + 10;
    widths_[DateSlot] = metrics.horizontalAdvance(sampleDate + u' ') + 6;
    contentWidths_ = widths_;
    fitCaptions();
}

int HeaderStrip::captionWidth(int slot) const {
    const QToolButton* button = buttons_[static_cast<std::size_t>(slot)];
    QFont bold = button->font();
    bold.setBold(true);
    // As the button draws it: inside its frame, the arrow and a gap, then the text.
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    constexpr int kArrowGap = 4;
    constexpr int kSpare = 4;
    return QFontMetrics(bold).horizontalAdvance(button->text()) + button->iconSize().width() +
           kArrowGap + 2 * frame + kSpare;
}

void HeaderStrip::fitCaptions() {
    for (int slot = TypeSlot; slot < SlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        designWidths_[index] = std::max(contentWidths_[index], captionWidth(slot));
        widths_[index] = std::max(widths_[index], designWidths_[index]);
    }
    fitNameToStrip();
    relayout();
}

void HeaderStrip::setBriefView(bool brief) {
    brief_ = brief;
    if (!brief)
        widths_ = designWidths_;
    for (int slot = TypeSlot; slot < SlotCount; ++slot)
        buttons_[static_cast<std::size_t>(slot)]->setVisible(!brief);
    fitNameToStrip();
    relayout();
}

int HeaderStrip::widthOf(int slot) const {
    return brief_ && slot != NameSlot ? 0 : widths_[static_cast<std::size_t>(slot)];
}

void HeaderStrip::clearGlyphs() {
    for (QToolButton* button : buttons_)
        button->setIcon(QIcon());
}

void HeaderStrip::showGlyph(listing::SortColumn column, int image) {
    if (ImageList2[0].isNull()) {
        const QStyle* style = header_->style();
        ImageList2 = {smallStyleIcon(*style, QStyle::SP_ArrowUp),
                      smallStyleIcon(*style, QStyle::SP_ArrowDown)};
    }
    clearGlyphs();
    for (std::size_t slot = 0; slot < kSlotColumns.size(); ++slot)
        if (kSlotColumns[slot] == column)
            buttons_[slot]->setIcon(ImageList2[static_cast<std::size_t>(image)]);
}

int HeaderStrip::tagOffset() const {
    return widths_[NameSlot];
}

int HeaderStrip::slotOf(QObject* button) const {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (buttons_[static_cast<std::size_t>(slot)] == button)
            return slot;
    return -1;
}

void HeaderStrip::fitNameToStrip() {
    const int offset = grid_->frameWidth() + kIconColumn;
    const int scrollBar = grid_->verticalScrollBar()->sizeHint().width();
    int others = 0;
    for (int slot = TypeSlot; slot < SlotCount; ++slot)
        others += widthOf(slot);
    widths_[NameSlot] =
        std::max(std::max(kMinimumName, captionWidth(NameSlot)),
                 header_->width() - offset - others - scrollBar - grid_->frameWidth());
}

void HeaderStrip::relayout() {
    int x = grid_->frameWidth() + kIconColumn;
    const int height = header_->height();
    for (int slot = 0; slot < SlotCount; ++slot) {
        buttons_[static_cast<std::size_t>(slot)]->setGeometry(x, 0, widthOf(slot), height);
        x += widthOf(slot);
    }
    grid_->setColumnWidth(PanelModel::IconColumn, kIconColumn);
    grid_->setColumnWidth(PanelModel::NameColumn, widthOf(NameSlot) + widthOf(TypeSlot));
    grid_->setColumnWidth(PanelModel::SizeColumn, widthOf(SizeSlot));
    grid_->setColumnWidth(PanelModel::AttrColumn, widthOf(AttrSlot));
    grid_->setColumnWidth(PanelModel::DateColumn, widthOf(DateSlot));
    grid_->horizontalScrollBar()->setValue(0);
    grid_->viewport()->update();
}

bool HeaderStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == header_) {
        if (event->type() == QEvent::Resize) {
            fitNameToStrip(); // a dragged name column keeps its width until the strip resizes
            relayout();
        }
        return false;
    }
    const int slot = slotOf(watched);
    if (slot < 0)
        return false;
    auto* button = buttons_[static_cast<std::size_t>(slot)];
    const bool resizable = slot != TypeSlot;
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave: {
        QFont font = button->font();
        font.setBold(event->type() == QEvent::Enter);
        button->setFont(font);
        return false;
    }
    case QEvent::MouseButtonPress: {
        const int x = static_cast<int>(static_cast<QMouseEvent*>(event)->position().x());
        if (resizable && button->width() - x < kDragZone) {
            dragGrab_ = button->width() - x;
            return true; // a resize, not a click
        }
        return false;
    }
    case QEvent::MouseMove: {
        const int x = static_cast<int>(static_cast<QMouseEvent*>(event)->position().x());
        if (resizable && button->width() - x < kCursorZone)
            button->setCursor(Qt::SplitHCursor);
        else
            button->unsetCursor();
        if (!dragGrab_ || !resizable)
            return false;
        // The button's left edge stays, so its right edge follows the pointer and the buttons
        // to its right move along; the columns to its left keep their widths.
        // Never narrower than the zone a drag starts in, so the edge can always be caught again.
        widths_[static_cast<std::size_t>(slot)] = std::max(kDragZone, x + *dragGrab_);
        relayout();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (dragGrab_) {
            dragGrab_.reset();
            return true;
        }
        return false;
    default:
        return false;
    }
}
