#include "main/chmod_dialog.h"

#include "main/widget_helpers.h"
#include "settings/language_table.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The bit of each box, in box order: owner, group, all; read, write, execute.
constexpr unsigned kBits[9] = {0400, 0200, 0100, 040, 020, 010, 04, 02, 01};

} // namespace

TOKRightDlg::TOKRightDlg(QWidget* owner, const LanguageTable& texts, unsigned mode,
                         ApplyHandler apply)
    : QDialog(owner), apply_(std::move(apply)) {
    setObjectName("OKRightDlg");
    const auto text = [&](const char* key) { return QString::fromStdString(texts.translate(key)); };
    setWindowTitle(text("ChangeAttributes"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    // These words name the permission bits everywhere: they stay untranslated.
    const char* rows[] = {"user", "group", "all"};
    const char* columns[] = {"read", "write", "execute"};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(plainLabel(rows[row], this), row, 0);
        for (int column = 0; column < 3; ++column) {
            const int index = row * 3 + column;
            const std::string name = "CheckBox" + std::to_string(index + 1);
            auto* box = named<QCheckBox>(name.c_str(), this);
            box->setText(columns[column]);
            box->setAccessibleDescription(rows[row]);
            box->setChecked((mode & kBits[index]) != 0);
            grid->addWidget(box, row, column + 1);
            boxes_[index] = box;
        }
    }
    layout->addLayout(grid);

    auto* buttons = new QWidget(this);
    auto* buttonRow = rowLayout(buttons, 0, 6);
    SpeedButton1 = named<QPushButton>("SpeedButton1", buttons);
    SpeedButton1->setText(text("Apply"));
    SpeedButton1->setDefault(true);
    SpeedButton2 = named<QPushButton>("SpeedButton2", buttons);
    SpeedButton2->setText(text("Cancel"));
    buttonRow->addStretch(1);
    buttonRow->addWidget(SpeedButton1);
    buttonRow->addWidget(SpeedButton2);
    layout->addWidget(buttons);
    connect(SpeedButton1, &QPushButton::clicked, this, &TOKRightDlg::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::reject);
    boxes_[0]->setFocus();
}

unsigned TOKRightDlg::chosenMode() const {
    unsigned bits = 0;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i]->isChecked())
            bits |= kBits[i];
    }
    return bits;
}

void TOKRightDlg::SpeedButton1Click() {
    if (apply_(chosenMode()))
        accept();
}
