#include "main/site_commands.h"

#include "app/engine.h"
#include "ftp/site_settings.h"
#include "main/connect_bar.h"
#include "main/site_settings_dialog.h"
#include "main/window_switch_key.h"
#include "platform/message_service.h"

#include <algorithm>

namespace {

constexpr const char* kTitle = "Tarvo Manager";

} // namespace

SiteCommands::SiteCommands(const WindowContext& context, ConnectBar& bar)
    : context_(context), bar_(bar) {
    // Listed before the box is followed: no site loads until one is chosen.
    bar_.listSites(context_.engine.sites().LoadSiteList());
    connect(&bar_, &ConnectBar::saveClicked, this, &SiteCommands::SpeedButton1Click);
    connect(&bar_, &ConnectBar::siteNamed, this, &SiteCommands::ComboBox1Change);
    context_.connectAction(
        this, "usu2", [this] { usu2Click(); }, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(&bar_, &ConnectBar::settingsClicked, this, &SiteCommands::SpeedButton3Click);
    context_.connectAction(
        this, "OpcjeFTP1", [this] { SpeedButton3Click(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    context_.connectAction(
        this, "noweedycja1", [this] { noweedycja1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
}

void SiteCommands::ComboBox1Change(const QString& name) {
    if (const auto site = context_.engine.sites().LoadSite(name.toStdString())) {
        bar_.showSite(*site);
        context_.engine.remoteWorker().wake(); // its keep-alive follows the site's settings
    }
}

void SiteCommands::SpeedButton1Click() {
    const ConnectFields fields = bar_.fields();
    if (!requiredGiven(fields.SiteName, fields.Host, fields.Port))
        return;
    SiteRecord site = context_.engine.sites().currentSite();
    site.Name = fields.SiteName;
    site.Host = fields.Host;
    site.User = fields.User;
    site.Password = fields.Password;
    site.Port = portNumber(fields.Port);
    if (std::to_string(site.Port) != fields.Port)
        bar_.showDefaultPort();
    // What the record file cannot hold is refused whole rather than stored cut.
    std::optional<std::string> refused;
    if (!isSiteFileName(site.Name))
        refused = site.Name;
    else
        refused = unstorableText(site);
    if (refused) {
        context_.messages.show({kTitle,
                                context_.translate("OperationNotAllowed") + "\n\n" + *refused,
                                MessageButton::Ok, MessageIcon::Information});
        return;
    }
    std::vector<std::string> names = bar_.siteNames();
    const bool listed = std::find(names.begin(), names.end(), site.Name) != names.end();
    const std::string question =
        context_.translate(listed ? "DoYouWantToSaveChanges" : "DoYouWantToCreate");
    if (context_.messages.show({"FTP", question + " " + site.Name + "?",
                                MessageButton::Yes | MessageButton::No}) != MessageButton::Yes)
        return;
    if (!listed)
        names.push_back(site.Name);
    if (const auto failure = context_.engine.sites().SaveSite(site, listed ? nullptr : &names)) {
        reportStoreFailure(*failure);
        return;
    }
    if (!listed)
        bar_.addSite(site.Name);
}

void SiteCommands::usu2Click() {
    const std::string name = bar_.fields().SiteName;
    if (context_.messages.show({context_.translate("Delete") + "?",
                                context_.translate("DoYouWontDelete") + " " + name + "?",
                                MessageButton::Yes | MessageButton::No, MessageIcon::Question}) !=
        MessageButton::Yes)
        return;
    // The site named in the box goes, whichever item the list has selected.
    std::vector<std::string> names = bar_.siteNames();
    std::erase(names, name);
    if (const auto failure = context_.engine.sites().SaveSiteList(names)) {
        reportStoreFailure(*failure);
        return;
    }
    bar_.removeSite(name);
    bar_.clearSite();
}

bool SiteCommands::requiredGiven(const std::string& name, const std::string& host,
                                 const std::string& port) {
    const std::pair<const std::string&, const char*> required[] = {
        {name, "NameFieldIsBlank"}, {host, "HostFieldIsBlank"}, {port, "PortFieldIsBlank"}};
    for (const auto& [field, key] : required) {
        if (field.empty()) {
            context_.messages.show({kTitle, context_.translate(key), MessageButton::Ok});
            return false;
        }
    }
    return true;
}

void SiteCommands::reportStoreFailure(const IOFile::Failure& failure) {
    context_.messages.show(
        {kTitle,
         context_.translate("OperationNotAllowed") + "\n\n" + failure.path + "\n" + failure.reason,
         MessageButton::Ok, MessageIcon::Information});
}

void SiteCommands::SpeedButton3Click() {
    // The connection bar's texts as they stand, which may differ from the saved site.
    const ConnectFields fields = bar_.fields();
    SiteSettings settings;
    settings.Name = fields.SiteName;
    settings.Host = fields.Host;
    settings.Port = fields.Port;
    settings.User = fields.User;
    settings.Password = fields.Password;
    showProfile(context_.engine.sites().currentSite(), settings);
    openSiteSettings(settings);
}

void SiteCommands::noweedycja1Click() {
    openSiteSettings(newSiteSettings());
}

void SiteCommands::openSiteSettings(const SiteSettings& settings) {
    auto* dialog =
        new TOKRightDlg2(&context_.window, context_.language, settings,
                         [this](SiteSettings& taken) { return applySiteSettings(taken); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    context_.switchKey.holdWhileOpen(dialog);
    dialog->show();
}

bool SiteCommands::applySiteSettings(SiteSettings& settings) {
    if (!requiredGiven(settings.Name, settings.Host, settings.Port))
        return false;
    bar_.showFields(
        {settings.Name, settings.Host, settings.Port, settings.User, settings.Password});
    SiteRecord profile = context_.engine.sites().currentSite();
    applyToProfile(settings, profile);
    // The running profile keeps the settings whatever the save that follows makes of them.
    context_.engine.sites().setCurrentSite(profile);
    context_.engine.remoteWorker().wake(); // its keep-alive follows the new settings
    SpeedButton1Click();
    return true;
}
