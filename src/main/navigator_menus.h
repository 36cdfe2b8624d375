#pragma once

#include "frontend/frontend.h"
#include "main/window_context.h"

#include <QObject>

#include <optional>
#include <string>
#include <vector>

class ConnectBar;
class ConnectionCommands;
class DriveBoxes;
class QAction;
class QMenu;
struct LocationEntry;

// The history and the favourites: the active panel's history menu with Back and Forward, the
// favourites block of the Navigator menu with Add to Favorites and the organisers, the panels'
// history and favourites buttons, and opening a location they list, local or on a saved site.
class NavigatorMenus : public QObject {
    Q_OBJECT
public:
    NavigatorMenus(const WindowContext& context, DriveBoxes& drives, ConnectBar& bar,
                   ConnectionCommands& connection);

    // Rebuilds the favourites block of the Navigator menu from the favourites file.
    void RebuildFavoritesMenu();

signals:
    // The favourites file was changed through this window (menu or an organiser).
    void favoritesChanged();

private:
    struct HistoryItem {
        std::string line;
        std::string caption;
    };
    void connectPanelButtons(PanelSide side);
    std::string currentLocation() const;
    std::vector<HistoryItem> historyItems() const;
    void BuildHistoryMenu();
    void History1Click();
    void Back1Click();
    void Forward1Click();
    // Back and Forward walk the history without recording the visit.
    void FavoriteItemClick(const std::string& line, bool recordVisit = true);
    void refuseLocation(const std::string& text);
    void AddtoFavorites1Click();
    void OrganizeFavorites1Click();
    void favoritesButtonClick(PanelSide side); // SpeedButton28Click / SpeedButton29Click
    void favoritesUpdated();
    // Where the history meets the FTP session.
    std::optional<std::string> sessionSite() const;
    std::vector<std::string> knownSites() const;
    std::optional<std::string> siteHost(const std::string& site) const;
    void openRemoteLocation(const LocationEntry& entry, bool recordVisit);

    const WindowContext& context_;
    DriveBoxes& drives_;
    ConnectBar& bar_;
    ConnectionCommands& connection_;
    QMenu* Navigator1 = nullptr;
    QMenu* MenuHistoryLeft = nullptr;
    QMenu* PopupMenu3 = nullptr;            // the favourites, from a panel's button
    std::vector<QAction*> favoriteActions_; // the favourites block of Navigator1
};
