#include "main/favorites_organizer.h"

#include "main/widget_helpers.h"

#include <QListWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

QToolButton* stripButton(const char* name, QWidget* parent) {
    auto* button = named<QToolButton>(name, parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

TOKRightDlg1234567::TOKRightDlg1234567(NavigationStore& store, Hooks hooks, QWidget* parent)
    : QDialog(parent), store_(store), hooks_(std::move(hooks)) {
    setObjectName("OKRightDlg1234567");
    setWindowTitle("Organize Favorites");
    resize(528, 210);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* body = new QWidget(this);
    auto* row = rowLayout(body, 4, 4);
    auto* strip = new QWidget(body);
    auto* buttons = new QVBoxLayout(strip);
    buttons->setContentsMargins(0, 0, 0, 0);
    SpeedButton4 = stripButton("SpeedButton4", strip);
    SpeedButton1 = stripButton("SpeedButton1", strip);
    SpeedButton2 = stripButton("SpeedButton2", strip);
    SpeedButton3 = stripButton("SpeedButton3", strip);
    // The move buttons show arrows only; their names are for hints and screen readers.
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    SpeedButton2->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton3->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton2->setAccessibleName("Move up");
    SpeedButton3->setAccessibleName("Move down");
    SpeedButton2->setToolTip("Move up");
    SpeedButton3->setToolTip("Move down");
    for (QToolButton* button : {SpeedButton4, SpeedButton1, SpeedButton2, SpeedButton3})
        buttons->addWidget(button);
    buttons->addStretch(1);

    ListBox1 = named<QListWidget>("ListBox1", body);
    ListBox1->setAlternatingRowColors(true);
    ListBox1->setStyleSheet("QListWidget { background: white; alternate-background-color: "
                            "rgb(242, 242, 242); }"
                            "QListWidget::item:selected { background: rgb(0, 0, 255); "
                            "color: white; }");
    row->addWidget(strip);
    row->addWidget(ListBox1, 1);
    layout->addWidget(body, 1);
    StatusBar1 = named<QStatusBar>("StatusBar1", this);
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);

    connect(SpeedButton4, &QToolButton::clicked, this, &TOKRightDlg1234567::SpeedButton4Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TOKRightDlg1234567::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TOKRightDlg1234567::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TOKRightDlg1234567::SpeedButton3Click);
    FormShow();
}

void TOKRightDlg1234567::FormShow() {
    const auto text = [this](const char* key) {
        return QString::fromStdString(hooks_.translate(key));
    };
    SpeedButton4->setText(text("Add"));
    SpeedButton1->setText(text("Delete"));
    SpeedButton4->setAccessibleName(SpeedButton4->text());
    SpeedButton1->setAccessibleName(SpeedButton1->text());
    setWindowTitle(text("OrganizeFavorites"));

    const std::optional<NavigationStore::Lines> lines = store_.favorites();
    if (!lines)
        return;
    const int row = ListBox1->currentRow();
    const QString chosen = row >= 0 ? ListBox1->item(row)->text() : QString();
    ListBox1->clear();
    for (const std::string& line : *lines)
        ListBox1->addItem(QString::fromStdString(line));
    if (row < 0)
        return;
    if (const auto at = locateLine(*lines, static_cast<std::size_t>(row), chosen.toStdString()))
        select(static_cast<int>(*at));
}

void TOKRightDlg1234567::select(int row) {
    ListBox1->setCurrentRow(row);
}

void TOKRightDlg1234567::SpeedButton4Click() {
    hooks_.addCurrentLocation();
    FormShow();
}

void TOKRightDlg1234567::SpeedButton1Click() {
    const int row = ListBox1->currentRow();
    if (row < 0)
        return;
    const std::string text = ListBox1->item(row)->text().toStdString();
    const bool changed = store_.changeFavorites([&](NavigationStore::Lines& lines) {
        const auto at = locateLine(lines, static_cast<std::size_t>(row), text);
        if (!at)
            return false;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*at));
        return true;
    });
    if (changed)
        hooks_.favoritesChanged();
}

void TOKRightDlg1234567::SpeedButton2Click() {
    moveSelected(-1);
}

void TOKRightDlg1234567::SpeedButton3Click() {
    moveSelected(1);
}

void TOKRightDlg1234567::moveSelected(int offset) {
    const int row = ListBox1->currentRow();
    if (row < 0)
        return;
    const std::string text = ListBox1->item(row)->text().toStdString();
    std::optional<std::size_t> target;
    const bool changed = store_.changeFavorites([&](NavigationStore::Lines& lines) {
        const auto at = locateLine(lines, static_cast<std::size_t>(row), text);
        if (!at)
            return false;
        const auto to = static_cast<std::ptrdiff_t>(*at) + offset;
        if (to < 0 || to >= static_cast<std::ptrdiff_t>(lines.size()))
            return false;
        std::swap(lines[*at], lines[static_cast<std::size_t>(to)]);
        target = static_cast<std::size_t>(to);
        return true;
    });
    if (!changed)
        return;
    hooks_.favoritesChanged();
    select(static_cast<int>(*target));
}
