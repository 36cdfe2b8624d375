#include "main/small_style_icon.h"

#include <QGuiApplication>

QIcon smallStyleIcon(const QStyle& style, QStyle::StandardPixmap which) {
    if (qGuiApp->devicePixelRatio() > 1.0)
        return style.standardIcon(which);
    return QIcon(style.standardPixmap(which));
}
