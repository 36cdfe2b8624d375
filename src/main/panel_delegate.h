#pragma once

#include <QStyledItemDelegate>

#include <functional>

class PanelIcons;
class PanelModel;

// Paints the rows of a panel: black text on white, marked rows in red, "[..]" in blue, a blue
// type tag beside each file name, and the row icon. The current row gets a light background
// (stronger while the panel is active).
class PanelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct Environment {
        std::function<bool()> standardIcons; // icon mode
        std::function<bool()> panelActive;
        std::function<int()> tagOffset; // x of the type tag inside the name column
    };

    PanelDelegate(const PanelModel& model, PanelIcons& icons, Environment environment,
                  QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The tag beside a file name: a blank, up to four letters of the upper-cased extension,
    // and four blanks.
    static QString typeTag(const QString& name);

private:
    const PanelModel& model_;
    PanelIcons& icons_;
    Environment environment_;
};
