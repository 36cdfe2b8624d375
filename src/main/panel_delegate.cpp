#include "main/panel_delegate.h"

#include "main/panel_icons.h"
#include "main/panel_model.h"

#include <QPainter>
#include <QTextLayout>

namespace {

const QColor kText(0, 0, 0);
const QColor kMarked(255, 0, 0);
const QColor kUpText(0, 0, 255);
const QColor kTag(0, 0, 255);
const QColor kCurrentActive(204, 228, 247);
const QColor kCurrentInactive(229, 229, 229);
constexpr int kTextInset = 2;

PanelIcons::Kind iconKind(PanelModel::RowKind kind) {
    switch (kind) {
    case PanelModel::RowKind::Up:
        return PanelIcons::Kind::Up;
    case PanelModel::RowKind::Folder:
        return PanelIcons::Kind::Folder;
    case PanelModel::RowKind::File:
        break;
    }
    return PanelIcons::Kind::File;
}

// Left-aligned and centred in height, elided where it does not fit. A text that fits, as most
// do, is shaped once and drawn from the layout that measured it: eliding first and drawing the
// result shaped every cell twice, most of a panel's painting.
void drawText(QPainter* painter, const QRect& cell, int right, const QString& text,
              const QColor& colour, Qt::TextElideMode elide = Qt::ElideRight) {
    const QRect area(cell.left() + kTextInset, cell.top(), right - cell.left() - kTextInset,
                     cell.height());
    if (area.width() <= 0)
        return;
    painter->setPen(colour);
    const bool oneLine = !text.contains(u'\n') && !text.contains(u'\r');
    if (oneLine) {
        QTextLayout layout(text, painter->font(), painter->device());
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (line.isValid() && line.naturalTextWidth() <= area.width()) {
            line.draw(painter,
                      QPointF(area.left(), area.top() + (area.height() - line.height()) / 2));
            return;
        }
    }
    const QString shown = painter->fontMetrics().elidedText(text, elide, area.width());
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace

PanelDelegate::PanelDelegate(const PanelModel& model, PanelIcons& icons, Environment environment,
                             QObject* parent)
    : QStyledItemDelegate(parent), model_(model), icons_(icons),
      environment_(std::move(environment)) {}

QString PanelDelegate::typeTag(const QString& name) {
    return u' ' + typeLetters(name) + QStringLiteral("    ");
}

void PanelDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const int row = index.row();
    const QRect cell = option.rect;
    painter->save();
    QColor background = Qt::white;
    if (row == model_.currentRow())
        background = environment_.panelActive() ? kCurrentActive : kCurrentInactive;
    painter->fillRect(cell, background);
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);

    const PanelModel::RowKind kind = model_.kindOf(row);
    const QString name = QString::fromStdString(model_.nameCell(row));
    const bool marked = model_.isMarked(row) && kind != PanelModel::RowKind::Up;
    const QColor colour = marked ? kMarked : kText;

    switch (index.column()) {
    case PanelModel::IconColumn: {
        const PanelIcons::Kind iconOf =
            model_.isLink(row) ? PanelIcons::Kind::Link : iconKind(kind);
        const QIcon& icon = icons_.icon(iconOf, name, environment_.standardIcons());
        icon.paint(painter, QRect(cell.left() + 1, cell.top() + (cell.height() - 16) / 2, 16, 16));
        break;
    }
    case PanelModel::NameColumn:
        if (kind == PanelModel::RowKind::Up) {
            drawText(painter, cell, cell.right(), name, kUpText);
        } else if (kind == PanelModel::RowKind::File) {
            const int tagX = cell.left() + environment_.tagOffset();
            drawText(painter, cell, tagX, name, colour);
            drawText(painter, QRect(tagX, cell.top(), cell.right() - tagX, cell.height()),
                     cell.right(), typeTag(name), marked ? kMarked : kTag, Qt::ElideNone);
        } else {
            drawText(painter, cell, cell.right(), name, colour);
        }
        break;
    default:
        if (kind != PanelModel::RowKind::Up)
            drawText(painter, cell, cell.right(), index.data().toString(), colour);
        break;
    }
    painter->restore();
}
