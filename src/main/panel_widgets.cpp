#include "main/panel_widgets.h"

#include "main/panel_grid.h"
#include "main/small_style_icon.h"
#include "main/widget_helpers.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(const char* name, QWidget* parent, const QString& text,
                        const QIcon& icon = {}) {
    auto* button = named<QToolButton>(name, parent);
    button->setText(text);
    button->setIcon(icon);
    button->setAutoRaise(true);
    return button;
}

QHBoxLayout* row(QWidget* owner) {
    return rowLayout(owner, 0, 2);
}

QWidget* buildPathRow(const PanelNames& names, const PathRowIcons& icons, PanelWidgets& panel) {
    auto* bar = named<QWidget>(names.pathRow, panel.container);
    bar->setAutoFillBackground(true);
    panel.pathRow = bar;
    auto* layout = row(bar);

    panel.driveBox = named<QComboBox>(names.driveBox, bar);
    panel.pathLabel = named<QLabel>(names.pathLabel, bar);
    panel.pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panel.pathLabel->setMinimumWidth(40);
    panel.maskBox = named<QComboBox>(names.maskBox, bar);
    panel.maskBox->setEditable(true);
    panel.maskBox->addItems({"*.*", "*.avi", "*.exe", "*.doc", "*.jpg", "*.mp3", "*.txt", "<>"});

    panel.pathBar = named<QWidget>(names.pathBar, bar);
    auto* buttons = row(panel.pathBar);
    panel.refreshButton = toolButton(names.refreshButton, panel.pathBar, {}, icons.refresh);
    panel.rootButton = toolButton(names.rootButton, panel.pathBar, QStringLiteral("\\"));
    panel.upButton = toolButton(names.upButton, panel.pathBar, QStringLiteral(".."));
    panel.historyButton = toolButton(names.historyButton, panel.pathBar, {}, icons.history);
    for (QWidget* button :
         {static_cast<QWidget*>(panel.refreshButton), static_cast<QWidget*>(panel.rootButton),
          static_cast<QWidget*>(panel.upButton), static_cast<QWidget*>(panel.historyButton)})
        buttons->addWidget(button);
    panel.favoritesButton = toolButton(names.favoritesButton, bar, {}, icons.favorites);

    // Enabled by the commands that own them.
    for (QWidget* waiting :
         {static_cast<QWidget*>(panel.driveBox), static_cast<QWidget*>(panel.maskBox),
          static_cast<QWidget*>(panel.refreshButton), static_cast<QWidget*>(panel.rootButton),
          static_cast<QWidget*>(panel.historyButton), static_cast<QWidget*>(panel.favoritesButton)})
        waiting->setEnabled(false);

    layout->addWidget(panel.driveBox);
    layout->addWidget(panel.pathLabel, 1);
    layout->addWidget(panel.maskBox);
    layout->addWidget(panel.pathBar);
    layout->addWidget(panel.favoritesButton);
    return bar;
}

QWidget* buildHeader(const PanelNames& names, PanelWidgets& panel) {
    panel.header = named<QFrame>(names.header, panel.container);
    // The buttons stand over the grid's columns; the header strip places them.
    panel.nameButton = toolButton(names.nameButton, panel.header, {});
    panel.typeButton = toolButton(names.typeButton, panel.header, {});
    panel.sizeButton = toolButton(names.sizeButton, panel.header, {});
    panel.attrButton = toolButton(names.attrButton, panel.header, {});
    panel.dateButton = toolButton(names.dateButton, panel.header, {});
    return panel.header;
}

PanelGrid* buildGrid(const PanelNames& names, QWidget* parent) {
    auto* grid = named<PanelGrid>(names.grid, parent);
    grid->setAccessibleName(QString::fromLatin1(names.accessibleName));
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(false);
    grid->setWordWrap(false);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn); // the header strip leaves room for it
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return grid;
}

QWidget* buildStatus(const PanelNames& names, PanelWidgets& panel) {
    auto* status = new QWidget(panel.container);
    auto* layout = new QGridLayout(status);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(0);
    panel.totalsLabel = named<QLabel>(names.totalsLabel, status);
    panel.selectionLabel = named<QLabel>(names.selectionLabel, status);
    panel.diskLabel = named<QLabel>(names.diskLabel, status);
    // Long lines are cut rather than widening the panel.
    for (QLabel* label : {panel.totalsLabel, panel.selectionLabel, panel.diskLabel})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(panel.totalsLabel, 0, 0);
    layout->addWidget(panel.selectionLabel, 0, 1);
    layout->addWidget(panel.diskLabel, 1, 0, 1, 2);
    return status;
}

} // namespace

// The theme's icon, else the style's, which is made only when it is needed.
QIcon themeOrStyleIcon(const char* name, const QStyle& style, QStyle::StandardPixmap standard) {
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
    if (!themed.isNull() && !themed.availableSizes().isEmpty())
        return themed;
    return smallStyleIcon(style, standard);
}

PathRowIcons pathRowIcons(const QStyle& style) {
    return {themeOrStyleIcon("view-refresh", style, QStyle::SP_BrowserReload),
            themeOrStyleIcon("document-open-recent", style, QStyle::SP_DirIcon),
            themeOrStyleIcon("bookmarks", style, QStyle::SP_DirLinkIcon)};
}

PanelWidgets buildPanel(const PanelNames& names, const PathRowIcons& icons, QWidget* parent) {
    PanelWidgets panel;
    panel.container = named<QFrame>(names.container, parent);
    auto* layout = new QVBoxLayout(panel.container);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(buildPathRow(names, icons, panel));
    layout->addWidget(buildHeader(names, panel));
    panel.grid = buildGrid(names, panel.container);
    layout->addWidget(panel.grid, 1);
    layout->addWidget(buildStatus(names, panel));
    return panel;
}
