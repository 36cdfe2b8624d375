#include "main/site_settings_dialog.h"

#include "main/widget_helpers.h"
#include "settings/language_table.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

// An edit on a row of the form, named by its label, for screen readers too.
QLineEdit* labelledEdit(QFormLayout* form, QWidget* parent, const char* name,
                        const QString& label) {
    auto* field = named<QLineEdit>(name, parent);
    auto* caption = plainLabel(label, parent);
    caption->setBuddy(field);
    field->setAccessibleName(label);
    form->addRow(caption, field);
    return field;
}

} // namespace

TOKRightDlg2::TOKRightDlg2(QWidget* owner, const LanguageTable& texts, const SiteSettings& settings,
                           ApplyHandler apply)
    : QDialog(owner), apply_(std::move(apply)) {
    setObjectName("OKRightDlg2");
    const auto translated = [&](const char* key) { return qt(texts.translate(key)); };
    setWindowTitle(translated("ConnectionSetting"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto edit = [&](const char* name, const char* label) {
        return labelledEdit(form, this, name, translated(label));
    };
    Edit1 = edit("Edit1", "Name");
    Edit3 = edit("Edit3", "Host");
    Edit6 = edit("Edit6", "Port");
    Edit2 = edit("Edit2", "Login");
    MaskEdit1 = edit("MaskEdit1", "Password");
    MaskEdit1->setEchoMode(QLineEdit::Password);
    Edit5 = edit("Edit5", "RemoteDir");
    layout->addLayout(form);

    ckPass = named<QCheckBox>("ckPass", this);
    ckPass->setText(translated("PassiveMode"));
    CkNOOP = named<QCheckBox>("CkNOOP", this);
    CkNOOP->setText(translated("SendNOOPCommand"));
    layout->addWidget(ckPass);
    layout->addWidget(CkNOOP);
    auto* intervalRow = new QWidget(this);
    auto* interval = rowLayout(intervalRow, 0, 6);
    auto* intervalLabel = plainLabel(translated("Interval"), intervalRow);
    TimeNOOP = named<QLineEdit>("TimeNOOP", intervalRow);
    intervalLabel->setBuddy(TimeNOOP);
    TimeNOOP->setAccessibleName(intervalLabel->text());
    interval->addWidget(intervalLabel);
    interval->addWidget(TimeNOOP);
    interval->addWidget(plainLabel("s", intervalRow));
    layout->addWidget(intervalRow);

    Panel1 = named<QWidget>("Panel1", this);
    auto* timeouts = new QFormLayout(Panel1);
    const auto timeout = [&](const char* name, const char* label) {
        QLineEdit* field = labelledEdit(timeouts, Panel1, name, label);
        timeouts->labelForField(field)->setEnabled(false);
        return field;
    };
    IOCtrlReciTime = timeout("IOCtrlReciTime", "INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT");
    IOCtrlSendTime = timeout("IOCtrlSendTime", "INTERNET_OPTION_CONTROL_SEND_TIMEOUT");
    IODataReciTime = timeout("IODataReciTime", "INTERNET_OPTION_DATA_RECEIVE_TIMEOUT");
    IODataSendTime = timeout("IODataSendTime", "INTERNET_OPTION_DATA_SEND_TIMEOUT");
    Panel1->hide();
    layout->addWidget(Panel1);

    auto* buttons = new QWidget(this);
    auto* row = rowLayout(buttons, 0, 6);
    SpeedButton2 = named<QPushButton>("SpeedButton2", buttons);
    SpeedButton2->setText(translated("Apply"));
    SpeedButton2->setDefault(true);
    SpeedButton1 = named<QPushButton>("SpeedButton1", buttons);
    SpeedButton1->setText(translated("Cancel"));
    row->addStretch(1);
    row->addWidget(SpeedButton2);
    row->addWidget(SpeedButton1);
    layout->addWidget(buttons);
    connect(SpeedButton2, &QPushButton::clicked, this, &TOKRightDlg2::SpeedButton2Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &QDialog::reject);

    // Enter and Esc in the connection texts are no Apply or Cancel.
    for (QLineEdit* field : {Edit1, Edit3, Edit6, Edit2, MaskEdit1})
        field->installEventFilter(this);
    display(settings);
    Edit1->setFocus();
}

void TOKRightDlg2::display(const SiteSettings& settings) {
    Edit1->setText(qt(settings.Name));
    Edit3->setText(qt(settings.Host));
    Edit6->setText(qt(settings.Port));
    Edit2->setText(qt(settings.User));
    MaskEdit1->setText(qt(settings.Password));
    Edit5->setText(qt(settings.StartDir));
    ckPass->setChecked(settings.Passive);
    CkNOOP->setChecked(settings.KeepAlive);
    TimeNOOP->setText(qt(settings.Interval));
    const std::array<QLineEdit*, 4> timeouts = {IOCtrlReciTime, IOCtrlSendTime, IODataReciTime,
                                                IODataSendTime};
    for (std::size_t i = 0; i < timeouts.size(); ++i)
        timeouts[i]->setText(qt(settings.Timeouts[i]));
}

SiteSettings TOKRightDlg2::settings() const {
    SiteSettings settings;
    settings.Name = text(Edit1);
    settings.Host = text(Edit3);
    settings.Port = text(Edit6);
    settings.User = text(Edit2);
    settings.Password = text(MaskEdit1);
    settings.StartDir = text(Edit5);
    settings.Passive = ckPass->isChecked();
    settings.KeepAlive = CkNOOP->isChecked();
    settings.Interval = text(TimeNOOP);
    settings.Timeouts = {text(IOCtrlReciTime), text(IOCtrlSendTime), text(IODataReciTime),
                         text(IODataSendTime)};
    return settings;
}

void TOKRightDlg2::SpeedButton2Click() {
    SiteSettings taken = settings();
    const bool applied = apply_(taken);
    display(taken);
    if (applied)
        accept();
}

bool TOKRightDlg2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
