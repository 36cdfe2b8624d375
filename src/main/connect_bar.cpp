#include "main/connect_bar.h"

#include "ftp/site_record.h"
#include "main/widget_helpers.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

QToolButton* textButton(const char* name, QWidget* parent) {
    auto* button = named<QToolButton>(name, parent);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

ConnectBar::ConnectBar(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel3");
    auto* layout = rowLayout(this, 2, 4);
    ComboBox1 = named<QComboBox>("ComboBox1", this);
    ComboBox1->setEditable(true);
    ComboBox1->setMinimumContentsLength(12);
    Edit2 = named<QLineEdit>("Edit2", this);
    eSrvName = named<QLineEdit>("eSrvName", this);
    eSrvPort = named<QLineEdit>("eSrvPort", this);
    eSrvPort->setText("21");
    eSrvPort->setValidator(new QIntValidator(1, 65535, eSrvPort));
    eSrvPort->setMaximumWidth(60);
    eUserName = named<QLineEdit>("eUserName", this);
    eUserPasswd = named<QLineEdit>("eUserPasswd", this);
    eUserPasswd->setEchoMode(QLineEdit::Password);
    SpeedButton1 = textButton("SpeedButton1", this);
    SpeedButton3 = textButton("SpeedButton3", this);

    layout->addWidget(ComboBox1);
    const std::pair<const char*, QLineEdit*> fields[] = {{"Label2", Edit2},
                                                         {"Label4", eSrvName},
                                                         {"Label6", eSrvPort},
                                                         {"Label3", eUserName},
                                                         {"Label5", eUserPasswd}};
    for (const auto& [labelName, edit] : fields) {
        auto* label = named<QLabel>(labelName, this);
        label->setBuddy(edit);
        layout->addWidget(label);
        layout->addWidget(edit, edit == eSrvPort ? 0 : 1);
    }
    layout->addWidget(SpeedButton1);
    layout->addWidget(SpeedButton3);

    connect(ComboBox1, &QComboBox::editTextChanged, this, &ConnectBar::siteNamed);
    // Choosing the site the box already names changes no text, and loads it all the same.
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { emit siteNamed(ComboBox1->itemText(index)); });
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, &ConnectBar::connectRequested);
    connect(SpeedButton1, &QToolButton::clicked, this, &ConnectBar::saveClicked);
    connect(SpeedButton3, &QToolButton::clicked, this, &ConnectBar::settingsClicked);
}

ConnectFields ConnectBar::fields() const {
    return {text(Edit2), text(eSrvName), text(eSrvPort), text(eUserName), text(eUserPasswd)};
}

void ConnectBar::showFields(const ConnectFields& fields) {
    Edit2->setText(QString::fromStdString(fields.SiteName));
    eSrvName->setText(QString::fromStdString(fields.Host));
    eSrvPort->setText(QString::fromStdString(fields.Port));
    eUserName->setText(QString::fromStdString(fields.User));
    eUserPasswd->setText(QString::fromStdString(fields.Password));
}

void ConnectBar::showSite(const SiteRecord& site) {
    showFields({site.Name, site.Host, std::to_string(site.Port), site.User, site.Password});
}

void ConnectBar::setUser(const std::string& user) {
    eUserName->setText(QString::fromStdString(user));
}

void ConnectBar::setPassword(const QString& password) {
    eUserPasswd->setText(password);
}

void ConnectBar::showDefaultPort() {
    eSrvPort->setText("21");
}

void ConnectBar::clearSite() {
    for (QLineEdit* edit : {Edit2, eSrvName, eUserName, eUserPasswd})
        edit->clear();
    showDefaultPort();
}

std::vector<std::string> ConnectBar::siteNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < ComboBox1->count(); ++i)
        names.push_back(ComboBox1->itemText(i).toStdString());
    return names;
}

void ConnectBar::listSites(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        addSite(name);
    ComboBox1->setCurrentIndex(-1);
}

void ConnectBar::addSite(const std::string& name) {
    ComboBox1->addItem(QString::fromStdString(name));
}

void ConnectBar::removeSite(const std::string& name) {
    for (int i = ComboBox1->count() - 1; i >= 0; --i) {
        if (ComboBox1->itemText(i).toStdString() == name)
            ComboBox1->removeItem(i);
    }
}

void ConnectBar::chooseSite(const std::string& name) {
    ComboBox1->setEditText(QString::fromStdString(name));
}

void ConnectBar::setSiteHint(const QString& hint) {
    ComboBox1->lineEdit()->setPlaceholderText(hint);
}
