#include "main/app_icon.h"

#include <QPainter>
#include <QPixmap>

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        painter.setPen(QPen(QColor(30, 60, 120), unit));
        painter.setBrush(QColor(70, 130, 200));
        painter.drawRoundedRect(QRectF(0.5 * unit, 1.5 * unit, 7 * unit, 13 * unit), unit, unit);
        painter.setBrush(QColor(240, 200, 80));
        painter.drawRoundedRect(QRectF(8.5 * unit, 1.5 * unit, 7 * unit, 13 * unit), unit, unit);
        icon.addPixmap(pixmap);
    }
    return icon;
}
