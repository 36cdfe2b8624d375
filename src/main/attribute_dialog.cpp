#include "main/attribute_dialog.h"

#include "local/listing/search_record.h"
#include "main/widget_helpers.h"
#include "settings/language_table.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

namespace listing = tarvo::listing;

TOKRightDlg1::TOKRightDlg1(QWidget* owner, const LanguageTable& texts, int attributes)
    : QDialog(owner) {
    setObjectName("OKRightDlg1");
    const auto text = [&](const char* key) { return QString::fromStdString(texts.translate(key)); };
    setWindowTitle(text("ChangeAttributes"));
    auto* layout = new QVBoxLayout(this);
    auto* frame = named<QFrame>("Shape1", this);
    frame->setFrameShape(QFrame::Box);
    auto* boxes = new QVBoxLayout(frame);
    const auto box = [&](const char* name, const char* key, int bit) {
        auto* check = named<QCheckBox>(name, frame);
        check->setText(text(key));
        check->setChecked(attributes & bit);
        check->setEnabled(false);
        return check;
    };
    // In the tab order read-only, archive, hidden, system.
    CheckBox2 = box("CheckBox2", "ReadOnly", listing::ReadOnly);
    CheckBox1 = box("CheckBox1", "Archive", listing::Archive);
    CheckBox3 = box("CheckBox3", "Hidden", listing::Hidden);
    CheckBox4 = box("CheckBox4", "System", listing::System);
    CheckBox2->setEnabled(true);
    for (QCheckBox* check : {CheckBox2, CheckBox1, CheckBox3, CheckBox4})
        boxes->addWidget(check);
    layout->addWidget(frame);

    auto* buttons = new QWidget(this);
    auto* row = rowLayout(buttons, 0, 6);
    SpeedButton2 = named<QPushButton>("SpeedButton2", buttons);
    SpeedButton2->setText(text("Cancel"));
    SpeedButton1 = named<QPushButton>("SpeedButton1", buttons);
    SpeedButton1->setText(text("Apply"));
    SpeedButton1->setDefault(true);
    row->addStretch(1);
    row->addWidget(SpeedButton2);
    row->addWidget(SpeedButton1);
    layout->addWidget(buttons);
    connect(SpeedButton1, &QPushButton::clicked, this, &QDialog::accept);
    connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::reject);
    CheckBox2->setFocus();
}

bool TOKRightDlg1::readOnly() const {
    return CheckBox2->isChecked();
}
