#include "main/navigator_menus.h"

#include "app/engine.h"
#include "app/location_entry.h"
#include "main/command_gate.h"
#include "main/connect_bar.h"
#include "main/connection_commands.h"
#include "main/drive_boxes.h"
#include "main/favorites_organizer.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/message_service.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QToolButton>

namespace {

// The item showing the current location, compared exactly (Linux names are case-sensitive).
template <class Items> int indexOfLocation(const Items& items, const std::string& current) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].caption == current)
            return static_cast<int>(i);
    return -1;
}

} // namespace

NavigatorMenus::NavigatorMenus(const WindowContext& context, DriveBoxes& drives, ConnectBar& bar,
                               ConnectionCommands& connection)
    : context_(context), drives_(drives), bar_(bar), connection_(connection) {
    Navigator1 = context_.window.findChild<QMenu*>("Navigator1");
    MenuHistoryLeft = new QMenu(&context_.window);
    MenuHistoryLeft->setObjectName("MenuHistoryLeft");
    PopupMenu3 = new QMenu(&context_.window);
    PopupMenu3->setObjectName("PopupMenu3");
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        connectPanelButtons(side);
    context_.connectAction(
        this, "History1", [this] { History1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_H));
    context_.connectAction(
        this, "Back1", [this] { Back1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Left));
    context_.connectAction(
        this, "Forward1", [this] { Forward1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Right));
    context_.connectAction(this, "AddtoFavorites1", [this] { AddtoFavorites1Click(); });
    context_.connectAction(this, "OrganizeFavorites1", [this] { OrganizeFavorites1Click(); });
    // The toolbar's twins of the menu items.
    context_.connectButton(this, "SpeedButton30", [this] { Back1Click(); });
    context_.connectButton(this, "SpeedButton31", [this] { Forward1Click(); });
}

void NavigatorMenus::connectPanelButtons(PanelSide side) {
    const PanelWidgets& widgets = context_.panels.panel(side).widgets();
    widgets.historyButton->setEnabled(true);
    widgets.favoritesButton->setEnabled(true);
    connect(widgets.historyButton, &QToolButton::clicked, this, [this, side] {
        context_.panels.activate(side);
        BuildHistoryMenu();
        MenuHistoryLeft->popup(QCursor::pos());
    });
    connect(widgets.favoritesButton, &QToolButton::clicked, this,
            [this, side] { favoritesButtonClick(side); });
}

std::string NavigatorMenus::currentLocation() const {
    const PanelSide side = context_.panels.activeSide();
    if (context_.engine.sessionShownIn(side))
        return "ftp://" + bar_.fields().Host + context_.engine.session().currentDir();
    return context_.engine.locationEntry(side);
}

std::vector<NavigatorMenus::HistoryItem> NavigatorMenus::historyItems() const {
    std::vector<HistoryItem> items;
    const auto lines = context_.engine.navigation().history(context_.panels.activeSide());
    if (!lines)
        return items;
    const std::vector<std::string> sites = knownSites();
    for (const std::string& line : *lines) {
        const LocationEntry entry = LocationEntry::parse(line, sites);
        const std::string host = entry.Remote ? siteHost(entry.Site).value_or("") : "";
        items.push_back({line, historyCaption(entry, host)});
    }
    return items;
}

void NavigatorMenus::BuildHistoryMenu() {
    MenuHistoryLeft->clear();
    const std::string current = currentLocation();
    for (const HistoryItem& item : historyItems()) {
        QAction* action =
            MenuHistoryLeft->addAction(QString::fromStdString(menuText(item.caption)));
        action->setStatusTip(QString::fromStdString(item.line));
        action->setData(QString::fromStdString(item.line));
        connect(action, &QAction::triggered, this,
                [this, line = item.line] { FavoriteItemClick(line); });
        if (item.caption == current && MenuHistoryLeft->defaultAction() == nullptr)
            MenuHistoryLeft->setDefaultAction(action);
    }
}

void NavigatorMenus::History1Click() {
    if (!context_.gate.take())
        return;
    BuildHistoryMenu();
    // Over the active panel's right edge.
    const QRect frame = context_.window.frameGeometry();
    MenuHistoryLeft->popup(
        {frame.left() + frame.width() / context_.panels.activeNumber() - 11, frame.top() + 110});
}

void NavigatorMenus::Back1Click() {
    if (!context_.gate.take())
        return;
    const std::vector<HistoryItem> items = historyItems();
    const int found = indexOfLocation(items, currentLocation());
    const int before = (found >= 0 ? found : static_cast<int>(items.size())) - 1;
    if (before >= 0)
        FavoriteItemClick(items[static_cast<std::size_t>(before)].line, false);
}

void NavigatorMenus::Forward1Click() {
    if (!context_.gate.take())
        return;
    const std::vector<HistoryItem> items = historyItems();
    const int after = indexOfLocation(items, currentLocation()) + 1;
    if (after < static_cast<int>(items.size()))
        FavoriteItemClick(items[static_cast<std::size_t>(after)].line, false);
}

void NavigatorMenus::FavoriteItemClick(const std::string& line, bool recordVisit) {
    if (!context_.gate.take())
        return;
    // The current location, which the history's steps go from, changes with what still waits.
    if (!context_.engine.remoteCommands().idle()) {
        context_.gate.refuse(Refusal::CommandsWaiting);
        return;
    }
    const LocationEntry entry = LocationEntry::parse(line, knownSites());
    if (entry.Remote) {
        openRemoteLocation(entry, recordVisit);
        return;
    }
    if (line.empty() || line.front() != '/') {
        refuseLocation(line); // a path of another system, or a relative one
        return;
    }
    const PanelSide side = context_.panels.activeSide();
    if (context_.engine.sessionShownIn(side))
        connection_.dropRemoteSession();
    drives_.postFolderRead(side, line, "*.*", false);
}

void NavigatorMenus::refuseLocation(const std::string& text) {
    context_.messages.show({"Tarvo Manager",
                            context_.translate("OperationNotAllowed") + "\n\n" + text,
                            MessageButton::Ok, MessageIcon::Information});
}

// The site of the open session, saved or not, as it was named at connect (the Name field may
// have been edited since); none while no panel shows one.
std::optional<std::string> NavigatorMenus::sessionSite() const {
    if (context_.engine.session().FtpPanel == 0)
        return std::nullopt;
    return context_.engine.session().siteName();
}

// The sites a saved location may name: the saved ones and the open session's.
std::vector<std::string> NavigatorMenus::knownSites() const {
    std::vector<std::string> sites = context_.engine.sites().LoadSiteList();
    if (const auto session = sessionSite())
        sites.push_back(*session);
    return sites;
}

// The host of a site, for the history's "ftp://host/folder" captions: the open session's for its
// site, else the saved record's; none when its record cannot be read.
std::optional<std::string> NavigatorMenus::siteHost(const std::string& site) const {
    if (site == sessionSite())
        return bar_.fields().Host;
    if (const auto record = context_.engine.sites().ReadSite(site))
        return record->Host;
    return std::nullopt;
}

// Opens a remote folder of a site: in the open session when it is that site's, else in a new
// session of that saved site, which starts in the folder.
void NavigatorMenus::openRemoteLocation(const LocationEntry& entry, bool recordVisit) {
    if (entry.Site == sessionSite()) {
        context_.gate.report(context_.engine.remoteCommands().post(
            cmd::OpenRemoteFolder{context_.engine.sessionOrigin(), entry.Folder, recordVisit}));
        return;
    }
    if (!context_.engine.sites().ReadSite(entry.Site)) {
        refuseLocation(entry.Site); // listed, but never saved: nothing to connect to
        return;
    }
    if (context_.engine.session().FtpPanel != 0)
        connection_.dropRemoteSession();
    bar_.chooseSite(entry.Site); // loads the site into the bar
    context_.engine.sites().setStartDir(entry.Folder);
    connection_.butConnectClick();
}

void NavigatorMenus::RebuildFavoritesMenu() {
    for (QAction* action : favoriteActions_) {
        Navigator1->removeAction(action);
        action->deleteLater();
    }
    favoriteActions_.clear();
    const auto lines = context_.engine.navigation().favorites();
    if (!lines || lines->empty())
        return;
    favoriteActions_.push_back(Navigator1->addSeparator());
    for (const std::string& line : *lines) {
        QAction* action =
            Navigator1->addAction(QString::fromStdString(menuText(favoriteCaption(line))));
        action->setStatusTip(QString::fromStdString(line));
        action->setData(QString::fromStdString(line));
        connect(action, &QAction::triggered, this, [this, line] { FavoriteItemClick(line); });
        favoriteActions_.push_back(action);
    }
}

void NavigatorMenus::AddtoFavorites1Click() {
    if (context_.engine.navigation().addFavorite(
            context_.engine.locationEntry(context_.panels.activeSide())))
        favoritesUpdated();
}

void NavigatorMenus::favoritesUpdated() {
    RebuildFavoritesMenu();
    emit favoritesChanged();
}

void NavigatorMenus::favoritesButtonClick(PanelSide side) {
    PopupMenu3->clear();
    for (QAction* favorite : favoriteActions_) {
        if (favorite->isSeparator())
            continue;
        QAction* copy = PopupMenu3->addAction(favorite->text());
        copy->setStatusTip(favorite->statusTip());
        copy->setData(favorite->data());
        connect(copy, &QAction::triggered, favorite, &QAction::trigger);
    }
    context_.panels.activate(side);
    PopupMenu3->popup(QCursor::pos());
}

void NavigatorMenus::OrganizeFavorites1Click() {
    TOKRightDlg1234567::Hooks hooks{
        [this](const std::string& key) { return context_.translate(key); },
        [this] { AddtoFavorites1Click(); }, [this] { favoritesUpdated(); }};
    auto* organizer =
        new TOKRightDlg1234567(context_.engine.navigation(), std::move(hooks), &context_.window);
    organizer->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &NavigatorMenus::favoritesChanged, organizer, &TOKRightDlg1234567::FormShow);
    organizer->show();
}
