// The second toolbar: navigation, views, marking, file and system commands as icon buttons.
#include "main/main_window.h"
#include "main/widget_helpers.h"

#include <QAction>
#include <QFrame>
#include <QStyle>
#include <QToolButton>

namespace {

struct ToolbarButton {
    const char* name;
    const char* themeIcon;
    QStyle::StandardPixmap fallback; // drawn when the desktop's icon theme lacks the icon
    const char* action = nullptr;    // the menu item the button presses, if it works yet
};

// Left to right. The buttons without a menu item stay disabled until their command exists.
constexpr ToolbarButton kButtons[] = {
    {"SpeedButton30", "go-previous", QStyle::SP_ArrowBack},
    {"SpeedButton31", "go-next", QStyle::SP_ArrowForward},
    {"SpeedButton32", "go-up", QStyle::SP_FileDialogToParent},
    {"SpeedButton43", "window-new", QStyle::SP_TitleBarNormalButton},
    {"SpeedButton33", "folder-documents", QStyle::SP_DirHomeIcon},
    {"SpeedButton36", "user-desktop", QStyle::SP_DesktopIcon},
    {"SpeedButton2", "view-list-icons", QStyle::SP_FileDialogListView, "brief1"},
    {"SpeedButton34", "view-list-details", QStyle::SP_FileDialogDetailedView, "full1"},
    {"SpeedButton39", "edit-select-invert", QStyle::SP_BrowserReload, "Odwrzaznaczenie1"},
    {"SpeedButton44", "list-add", QStyle::SP_FileDialogNewFolder, "Extension1"},
    {"SpeedButton38", "edit-select-none", QStyle::SP_DialogResetButton, "Odznaczwszystko1"},
    {"SpeedButton35", "document-properties", QStyle::SP_FileDialogInfoView},
    {"SpeedButton46", "document-edit", QStyle::SP_FileDialogContentsView},
    {"SpeedButton25", "document-print", QStyle::SP_FileIcon},
    {"SpeedButton45", "package-x-generic", QStyle::SP_DriveFDIcon},
    {"SpeedButton40", "archive-extract", QStyle::SP_DialogOpenButton},
    {"SpeedButton37", "utilities-terminal", QStyle::SP_ComputerIcon},
    {"SpeedButton41", "preferences-system", QStyle::SP_DriveNetIcon},
    {"SpeedButton42", "accessories-text-editor", QStyle::SP_FileDialogStart},
};

} // namespace

QWidget* TForm1::buildSecondToolbar() {
    Panel13 = named<QFrame>("Panel13", this);
    auto* layout = rowLayout(Panel13, 2, 1);
    const QStyle* style = Panel13->style();
    for (const ToolbarButton& spec : kButtons) {
        auto* button = named<QToolButton>(spec.name, Panel13);
        button->setIcon(QIcon::fromTheme(spec.themeIcon, style->standardIcon(spec.fallback)));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        button->setEnabled(false);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return Panel13;
}

// Each working button presses its menu item, and so is enabled exactly when that item is.
void TForm1::connectToolbarButtons() {
    for (const ToolbarButton& spec : kButtons) {
        if (spec.action == nullptr)
            continue;
        auto* button = Panel13->findChild<QToolButton*>(spec.name);
        auto* action = findChild<QAction*>(spec.action);
        button->setEnabled(action->isEnabled());
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
    }
}
