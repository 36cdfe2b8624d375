#include "main/password_dialog.h"

#include "main/widget_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPasswordDlg::TPasswordDlg(QWidget* owner, const Translate& translate, Accept accept)
    : QDialog(owner), accept_(std::move(accept)) {
    setObjectName("PasswordDlg");
    setWindowTitle("Tarvo Manager");
    // A new dialog is made for every connect that lacks a password; each goes when it closes.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
    auto* layout = new QVBoxLayout(this);
    Label1 = named<QLabel>("Label1", this);
    Label1->setText(QString::fromStdString(translate("Password")));
    Password = named<QLineEdit>("Password", this);
    Password->setEchoMode(QLineEdit::Password);
    Password->setAccessibleName(Label1->text());
    Label1->setBuddy(Password);
    auto* buttons = new QWidget(this);
    auto* row = rowLayout(buttons, 0, 6);
    OKBtn = named<QPushButton>("OKBtn", buttons);
    OKBtn->setText(QString::fromStdString(translate("OK")));
    OKBtn->setDefault(true);
    CancelBtn = named<QPushButton>("CancelBtn", buttons);
    CancelBtn->setText(QString::fromStdString(translate("Cancel")));
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    layout->addWidget(Label1);
    layout->addWidget(Password);
    layout->addWidget(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &TPasswordDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::OKBtnClick() {
    if (accept_(Password->text()))
        accept();
}
