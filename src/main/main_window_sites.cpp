// The saved FTP sites on the connection bar: the site box, Save and Delete.
#include "main/main_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr const char* kTitle = "Tarvo Manager";

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

std::vector<std::string> items(const QComboBox* box) {
    std::vector<std::string> names;
    for (int i = 0; i < box->count(); ++i)
        names.push_back(box->itemText(i).toStdString());
    return names;
}

} // namespace

void TForm1::connectSiteCommands() {
    SpeedButton1->setEnabled(true);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TForm1::ComboBox1Change);
    // Choosing the site the box already names changes no text, and loads it all the same.
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { ComboBox1Change(ComboBox1->itemText(index)); });
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, &TForm1::butConnectClick);
    connectAction(
        "usu2", [this] { usu2Click(); }, QKeySequence(Qt::CTRL | Qt::Key_Delete));
}

void TForm1::showSite(const SiteRecord& site) {
    Edit2->setText(QString::fromStdString(site.Name));
    eSrvName->setText(QString::fromStdString(site.Host));
    eUserName->setText(QString::fromStdString(site.User));
    eUserPasswd->setText(QString::fromStdString(site.Password));
    eSrvPort->setText(QString::number(site.Port));
}

// Typing in the box loads a site at every keystroke: only a complete record changes anything.
void TForm1::ComboBox1Change(const QString& name) {
    if (const auto site = engine_->sites().LoadSite(name.toStdString())) {
        showSite(*site);
        engine_->remoteWorker().wake(); // its keep-alive follows the site's settings
    }
}

void TForm1::SpeedButton1Click() {
    const std::pair<const QLineEdit*, const char*> required[] = {{Edit2, "NameFieldIsBlank"},
                                                                 {eSrvName, "HostFieldIsBlank"},
                                                                 {eSrvPort, "PortFieldIsBlank"}};
    for (const auto& [edit, key] : required) {
        if (edit->text().isEmpty()) {
            messages().show({kTitle, Translate(key), MessageButton::Ok});
            return;
        }
    }
    SiteRecord site = engine_->sites().currentSite();
    site.Name = text(Edit2);
    site.Host = text(eSrvName);
    site.User = text(eUserName);
    site.Password = text(eUserPasswd);
    site.Port = portNumber(text(eSrvPort));
    if (std::to_string(site.Port) != text(eSrvPort))
        eSrvPort->setText("21");
    // What the record file cannot hold is refused whole rather than stored cut.
    std::optional<std::string> refused;
    if (!isSiteFileName(site.Name))
        refused = site.Name;
    else
        refused = unstorableText(site);
    if (refused) {
        messages().show({kTitle, Translate("OperationNotAllowed") + "\n\n" + *refused,
                         MessageButton::Ok, MessageIcon::Information});
        return;
    }
    std::vector<std::string> names = items(ComboBox1);
    const bool listed = std::find(names.begin(), names.end(), site.Name) != names.end();
    const std::string question = Translate(listed ? "DoYouWantToSaveChanges" : "DoYouWantToCreate");
    if (messages().show({"FTP", question + " " + site.Name + "?",
                         MessageButton::Yes | MessageButton::No}) != MessageButton::Yes)
        return;
    if (!listed)
        names.push_back(site.Name);
    if (const auto failure = engine_->sites().SaveSite(site, listed ? nullptr : &names)) {
        messages().show(
            {kTitle,
             Translate("OperationNotAllowed") + "\n\n" + failure->path + "\n" + failure->reason,
             MessageButton::Ok, MessageIcon::Information});
        return;
    }
    if (!listed)
        ComboBox1->addItem(QString::fromStdString(site.Name));
}

void TForm1::usu2Click() {
    const std::string name = text(Edit2);
    if (messages().show({Translate("Delete") + "?", Translate("DoYouWontDelete") + " " + name + "?",
                         MessageButton::Yes | MessageButton::No, MessageIcon::Question}) !=
        MessageButton::Yes)
        return;
    // The site named in the box goes, whichever item the list has selected.
    std::vector<std::string> names = items(ComboBox1);
    std::erase(names, name);
    if (const auto failure = engine_->sites().SaveSiteList(names)) {
        messages().show(
            {kTitle,
             Translate("OperationNotAllowed") + "\n\n" + failure->path + "\n" + failure->reason,
             MessageButton::Ok, MessageIcon::Information});
        return;
    }
    for (int i = ComboBox1->count() - 1; i >= 0; --i) {
        if (ComboBox1->itemText(i).toStdString() == name)
            ComboBox1->removeItem(i);
    }
    for (QLineEdit* edit : {Edit2, eSrvName, eUserName, eUserPasswd})
        edit->clear();
    eSrvPort->setText("21");
}
