#include "main/icon_toolbar.h"

#include "main/widget_helpers.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <initializer_list>

namespace {

// A glyph of our own, for desktops whose icon theme lacks the button's icon: strokes on a 16 by
// 16 grid, each a polyline of x, y pairs.
using Stroke = std::initializer_list<int>;
using Glyph = std::initializer_list<Stroke>;

struct ToolbarButton {
    const char* name;
    const char* themeIcon;
    Glyph glyph;
    const char* action = nullptr; // the menu item the button presses, if it works yet
};

// Left to right. The buttons without a menu item stay disabled until their command exists.
const ToolbarButton kButtons[] = {
    {"SpeedButton30", "go-previous", {{12, 8, 4, 8}, {7, 5, 4, 8, 7, 11}}},
    {"SpeedButton31", "go-next", {{4, 8, 12, 8}, {9, 5, 12, 8, 9, 11}}},
    {"SpeedButton32", "go-up", {{8, 12, 8, 4}, {5, 7, 8, 4, 11, 7}}},
    {"SpeedButton43",
     "window-new",
     {{2, 6, 11, 6, 11, 13, 2, 13, 2, 6}, {5, 6, 5, 3, 14, 3, 14, 10, 11, 10}},
     "NoweOkno1"},
    {"SpeedButton33", "folder-documents", {{2, 4, 7, 4, 8, 6, 14, 6, 14, 13, 2, 13, 2, 4}}},
    {"SpeedButton36",
     "user-desktop",
     {{2, 3, 14, 3, 14, 11, 2, 11, 2, 3}, {8, 11, 8, 13}, {5, 14, 11, 14}}},
    {"SpeedButton2",
     "view-list-icons",
     {{2, 4, 6, 4}, {9, 4, 13, 4}, {2, 8, 6, 8}, {9, 8, 13, 8}, {2, 12, 6, 12}},
     "brief1"},
    {"SpeedButton34",
     "view-list-details",
     {{2, 4, 14, 4}, {2, 8, 14, 8}, {2, 12, 14, 12}},
     "full1"},
    {"SpeedButton39",
     "edit-select-invert",
     {{3, 3, 13, 3, 13, 13, 3, 13, 3, 3}, {3, 13, 13, 3}},
     "Odwrzaznaczenie1"},
    {"SpeedButton44", "list-add", {{8, 3, 8, 13}, {3, 8, 13, 8}}, "Extension1"},
    {"SpeedButton38", "edit-select-none", {{3, 3, 13, 3, 13, 13, 3, 13, 3, 3}}, "Odznaczwszystko1"},
    {"SpeedButton35", "document-properties", {{8, 7, 8, 13}, {8, 3, 8, 4}}, "waciwoci1"},
    {"SpeedButton46",
     "document-edit",
     {{3, 3, 13, 3, 13, 13, 3, 13, 3, 3}, {5, 8, 7, 11, 12, 5}},
     "Zmieatrybuty1"},
    {"SpeedButton25",
     "document-print",
     {{4, 6, 4, 2, 12, 2, 12, 6},
      {2, 6, 14, 6, 14, 11, 2, 11, 2, 6},
      {4, 11, 4, 14, 12, 14, 12, 11}},
     "Print1"},
    {"SpeedButton45",
     "package-x-generic",
     {{2, 6, 14, 6, 14, 14, 2, 14, 2, 6}, {8, 1, 8, 11}, {5, 8, 8, 11, 11, 8}},
     "Zip1"},
    {"SpeedButton40",
     "archive-extract",
     {{2, 6, 14, 6, 14, 14, 2, 14, 2, 6}, {8, 11, 8, 1}, {5, 4, 8, 1, 11, 4}},
     "UnZip1"},
    {"SpeedButton37",
     "utilities-terminal",
     {{2, 3, 14, 3, 14, 13, 2, 13, 2, 3}, {4, 6, 7, 8, 4, 10}, {8, 11, 12, 11}},
     "DOS1"},
    {"SpeedButton41",
     "preferences-system",
     {{4, 2, 4, 14}, {8, 2, 8, 14}, {12, 2, 12, 14}, {2, 5, 6, 5}, {6, 10, 10, 10}, {10, 6, 14, 6}},
     "ControlPanel1"},
    {"SpeedButton42",
     "accessories-text-editor",
     {{4, 2, 12, 2, 12, 14, 4, 14, 4, 2}, {6, 5, 10, 5}, {6, 8, 10, 8}, {6, 11, 10, 11}}},
};

QIcon drawnGlyph(const Glyph& glyph, const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const Stroke& stroke : glyph) {
        QPolygonF line;
        for (auto xy = stroke.begin(); xy + 1 < stroke.end(); xy += 2)
            line << QPointF(xy[0], xy[1]);
        painter.drawPolyline(line);
    }
    return QIcon(pixmap);
}

} // namespace

IconToolbar::IconToolbar(QWidget& window) : QFrame(&window) {
    setObjectName("Panel13");
    auto* layout = rowLayout(this, 2, 1);
    for (const ToolbarButton& spec : kButtons) {
        auto* button = named<QToolButton>(spec.name, this);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        button->setEnabled(false);
        layout->addWidget(button);
        // A working button presses its menu item, and so is enabled exactly when that item is.
        if (spec.action != nullptr) {
            auto* action = window.findChild<QAction*>(spec.action);
            button->setEnabled(action->isEnabled());
            connect(button, &QToolButton::clicked, action, &QAction::trigger);
            connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
        }
    }
    layout->addStretch(1);
}

QString IconToolbar::firstThemeIcon() {
    return QString::fromLatin1(kButtons[0].themeIcon);
}

void IconToolbar::showIcons() {
    const QColor ink = palette().color(QPalette::ButtonText);
    for (const ToolbarButton& spec : kButtons) {
        const QString themeName = QString::fromLatin1(spec.themeIcon);
        findChild<QToolButton*>(spec.name)->setIcon(QIcon::hasThemeIcon(themeName)
                                                        ? QIcon::fromTheme(themeName)
                                                        : drawnGlyph(spec.glyph, ink));
    }
}
