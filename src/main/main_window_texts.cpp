// The captions and hints of the main window, looked up in the active language.
#include "main/main_window_texts.h"

#include "main/main_window.h"
#include "main/menu_tree.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

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
        if (entry.kind == TextKind::Hint)
            widget->setToolTip(text);
        else
            setCaption(widget, text);
    }
    // A hint rather than the box's text: the text of the site box names the site to load.
    ComboBox1->lineEdit()->setPlaceholderText(QString::fromStdString(Translate("FTPConnect")));
    translateMenus(menuBar(), mainMenuTree(), language_);
}
