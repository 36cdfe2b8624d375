// The captions and hints of the main window, looked up in the active language.
#include "main/main_window_texts.h"

#include "main/connect_bar.h"
#include "main/connection_commands.h"
#include "main/main_window.h"
#include "main/menu_tree.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/widget_helpers.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenuBar>

const std::vector<WidgetText>& mainWindowTexts() {
    static const std::vector<WidgetText> texts{
        {"butConnect", "Connect"},
        {"SpeedButton12", "Edit"},
        {"SpeedButton13", "Copy"},
        {"SpeedButton11", "Move"},
        {"SpeedButton10", "Rename"},
        {"butGetFile", "NewFolder"},
        {"butSetFile", "Delete"},
        {"SpeedButton14", "Name"},
        {"SpeedButton22", "Ext"},
        {"SpeedButton15", "Size"},
        {"SpeedButton16", "Attribute"},
        {"SpeedButton17", "Date"},
        {"SpeedButton18", "Name"},
        {"SpeedButton23", "Ext"},
        {"SpeedButton19", "Size"},
        {"SpeedButton20", "Attribute"},
        {"SpeedButton21", "Date"},
        {"SpeedButton1", "Save"},
        {"SpeedButton3", "Settings"},
        {"Label2", "Name"},
        {"Label3", "Login"},
        {"Label4", "Host"},
        {"Label5", "Password"},
        {"Label6", "Port"},
        {"SpeedButton8", "Refresh", TextKind::Hint},
        {"SpeedButton4", "RootDirectory", TextKind::Hint},
        {"SpeedButton5", "UpOneLevel", TextKind::Hint},
        {"SpeedButton26", "History", TextKind::Hint},
        {"SpeedButton6", "Refresh", TextKind::Hint},
        {"SpeedButton7", "RootDirectory", TextKind::Hint},
        {"SpeedButton9", "UpOneLevel", TextKind::Hint},
        {"SpeedButton27", "History", TextKind::Hint},
        {"SpeedButton28", "Favorites", TextKind::Hint},
        {"SpeedButton29", "Favorites", TextKind::Hint},
        {"SpeedButton24", "Cancel", TextKind::Caption, "[ ", " ]"},
        {"SpeedButton30", "Back", TextKind::Hint},
        {"SpeedButton31", "Forward", TextKind::Hint},
        {"SpeedButton32", "UpOneLevel", TextKind::Hint},
        {"SpeedButton43", "NewWindow", TextKind::Hint},
        {"SpeedButton33", "MyDocuments", TextKind::Hint},
        {"SpeedButton36", "Desktop", TextKind::Hint},
        {"SpeedButton2", "Brief", TextKind::Hint},
        {"SpeedButton34", "Full", TextKind::Hint},
        {"SpeedButton39", "InvertSelection", TextKind::Hint},
        {"SpeedButton44", "ExtensionAdd", TextKind::Hint},
        {"SpeedButton38", "UnselectAll", TextKind::Hint},
        {"SpeedButton35", "Properties", TextKind::Hint},
        {"SpeedButton46", "ChangeAttributes", TextKind::Hint},
        {"SpeedButton25", "Print", TextKind::Hint},
        {"SpeedButton45", "Pack", TextKind::Hint},
        {"SpeedButton40", "Unpack", TextKind::Hint},
        {"SpeedButton37", "RunDOS", TextKind::Hint},
        {"SpeedButton41", "ControlPanel", TextKind::Hint},
        {"SpeedButton42", "Notepad", TextKind::Hint},
    };
    return texts;
}

namespace {

void setCaption(QWidget* widget, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

} // namespace

void TForm1::applyTexts() {
    for (const WidgetText& entry : mainWindowTexts()) {
        auto* widget = findChild<QWidget*>(QString::fromLatin1(entry.name));
        if (widget == nullptr)
            continue;
        const QString text = QString::fromUtf8(entry.before) +
                             QString::fromStdString(Translate(entry.key)) +
                             QString::fromUtf8(entry.after);
        if (entry.kind == TextKind::Hint) {
            // The hint names a button that shows an icon: it is the button's name for screen
            // readers too.
            widget->setToolTip(plainToolTip(text));
            widget->setAccessibleName(text);
        } else {
            setCaption(widget, text);
        }
    }
    // The connect button says what a click does now: the table's caption is for no session.
    if (engine_->session().FtpPanel != 0)
        connection_->showConnected(true);
    // A hint rather than the box's text: the text of the site box names the site to load.
    connectBar_->setSiteHint(QString::fromStdString(Translate("FTPConnect")));
    translateMenus(menuBar(), mainMenuTree(), language_);
    // The panels' status lines and captions speak the language too: they change at once, not
    // with the next listing.
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        PanelController& shown = panel(side);
        shown.applyTexts(language_);
        if (!shown.widgets().selectionLabel->text().isEmpty())
            panels_->showSelectionLine(shown);
    }
}
