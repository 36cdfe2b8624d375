// Navigation: the panels' header strip (refresh, root, mask, history), the history with Back
// and Forward, opening a saved location, the special folders, and the worker commands that
// read the folders they lead to.
#include "frontend/frontend.h"
#include "main/connect_bar.h"
#include "main/connection_commands.h"
#include "main/drive_boxes.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "platform/special_folders.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

void TForm1::connectNavigationCommands() {
    drives_ = std::make_unique<DriveBoxes>(*context_);
    connectHeaderStrip(PanelSide::Left);
    connectHeaderStrip(PanelSide::Right);
    connectNavigatorMenu();
}

void TForm1::connectHeaderStrip(PanelSide side) {
    const PanelWidgets& widgets = panel(side).widgets();
    for (QWidget* control :
         {static_cast<QWidget*>(widgets.maskBox), static_cast<QWidget*>(widgets.refreshButton),
          static_cast<QWidget*>(widgets.rootButton), static_cast<QWidget*>(widgets.historyButton),
          static_cast<QWidget*>(widgets.favoritesButton)})
        control->setEnabled(true);
    // A mask applies on Enter; picking one from the list only puts it in the box.
    widgets.maskBox->setInsertPolicy(QComboBox::NoInsert);
    connect(widgets.maskBox->lineEdit(), &QLineEdit::returnPressed, this,
            [this, side] { maskBoxEnter(side); });
    connect(widgets.refreshButton, &QToolButton::clicked, this,
            [this, side] { refreshButtonClick(side); });
    connect(widgets.rootButton, &QToolButton::clicked, this,
            [this, side] { rootButtonClick(side); });
    connect(widgets.historyButton, &QToolButton::clicked, this, [this, side] {
        panels_->activate(side);
        BuildHistoryMenu();
        MenuHistoryLeft->popup(QCursor::pos());
    });
    connect(widgets.favoritesButton, &QToolButton::clicked, this,
            [this, side] { favoritesButtonClick(side); });
}

void TForm1::connectNavigatorMenu() {
    Navigator1 = findChild<QMenu*>("Navigator1");
    MenuHistoryLeft = new QMenu(this);
    MenuHistoryLeft->setObjectName("MenuHistoryLeft");
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");

    connectAction(
        "odwie1", [this] { odwie1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_R));
    connectAction(
        "History1", [this] { History1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_H));
    connectAction(
        "Back1", [this] { Back1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Left));
    connectAction(
        "Forward1", [this] { Forward1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Right));
    connectAction("AddtoFavorites1", [this] { AddtoFavorites1Click(); });
    connectAction("OrganizeFavorites1", [this] { OrganizeFavorites1Click(); });
    struct FolderItem {
        const char* action;
        int folder;
        QKeySequence shortcut;
    };
    const FolderItem folders[] = {
        {"MyDocuments1", kDocumentsFolder, QKeySequence(Qt::ALT | Qt::Key_D)},
        {"Desktop1", kDesktopFolder, QKeySequence(Qt::ALT | Qt::Key_P)},
        {"SendTo1", kStartMenuFolder, QKeySequence(Qt::ALT | Qt::Key_S)}};
    for (const FolderItem& item : folders)
        connectAction(
            item.action, [this, id = item.folder] { specialFolderClick(id); }, item.shortcut);
    // These folders do not exist on this desktop.
    for (const char* name : {"FAVORITES1", "CSIDLRECENT1"})
        findChild<QAction*>(name)->setVisible(false);

    // The toolbar's twins of the menu items, where the toolbar has them.
    const std::pair<const char*, std::function<void()>> buttons[] = {
        {"SpeedButton30", [this] { Back1Click(); }},
        {"SpeedButton31", [this] { Forward1Click(); }},
        {"SpeedButton33", [this] { specialFolderClick(kDocumentsFolder); }},
        {"SpeedButton36", [this] { specialFolderClick(kDesktopFolder); }}};
    for (const auto& [name, handler] : buttons) {
        if (auto* button = findChild<QAbstractButton*>(name)) {
            button->setEnabled(true);
            connect(button, &QAbstractButton::clicked, this, handler);
        }
    }
}

void TForm1::addToHistory(PanelSide side, std::string entry) {
    engine_->navigation().recordVisit(side, entry);
}

bool TForm1::sessionShownIn(PanelSide side) const {
    return engine_->session().FtpPanel == panelNumber(side);
}

void TForm1::rootButtonClick(PanelSide side) {
    panels_->activate(side);
    if (sessionShownIn(side))
        gate_->report(engine_->remoteCommands().post(cmd::RemoteRoot{sessionOrigin()}));
    else
        drives_->driveBoxClick(side);
}

void TForm1::refreshButtonClick(PanelSide side) {
    panels_->activate(side);
    odwie1Click();
}

void TForm1::odwie1Click() {
    if (!gate_->take())
        return;
    const PanelSide side = panels_->activeSide();
    if (sessionShownIn(side))
        gate_->report(engine_->remoteCommands().post(cmd::RefreshRemote{sessionOrigin()}));
    else
        drives_->postFolderRead(side, engine_->explorer(side).GetPath(), "*.*", false);
}

void TForm1::maskBoxEnter(PanelSide side) {
    const std::string mask = panel(side).widgets().maskBox->currentText().toStdString();
    if (sessionShownIn(side))
        filterRemotePanel(side, mask);
    else
        drives_->postFolderRead(side, engine_->explorer(side).GetPath(), mask, false);
}

std::string TForm1::currentLocation() const {
    const PanelSide side = panels_->activeSide();
    if (sessionShownIn(side))
        return "ftp://" + connectBar_->fields().Host + sessionFolder();
    return engine_->locationEntry(side);
}

std::vector<TForm1::HistoryItem> TForm1::historyItems() const {
    std::vector<HistoryItem> items;
    const auto lines = engine_->navigation().history(panels_->activeSide());
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

void TForm1::BuildHistoryMenu() {
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

void TForm1::History1Click() {
    if (!gate_->take())
        return;
    BuildHistoryMenu();
    // Over the active panel's right edge.
    const QRect frame = frameGeometry();
    MenuHistoryLeft->popup(
        {frame.left() + frame.width() / panels_->activeNumber() - 11, frame.top() + 110});
}

namespace {

// The item showing the current location, compared exactly (Linux names are case-sensitive).
template <class Items> int currentIndex(const Items& items, const std::string& current) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].caption == current)
            return static_cast<int>(i);
    return -1;
}

} // namespace

void TForm1::Back1Click() {
    if (!gate_->take())
        return;
    const std::vector<HistoryItem> items = historyItems();
    const int found = currentIndex(items, currentLocation());
    const int before = (found >= 0 ? found : static_cast<int>(items.size())) - 1;
    if (before >= 0)
        FavoriteItemClick(items[static_cast<std::size_t>(before)].line, false);
}

void TForm1::Forward1Click() {
    if (!gate_->take())
        return;
    const std::vector<HistoryItem> items = historyItems();
    const int after = currentIndex(items, currentLocation()) + 1;
    if (after < static_cast<int>(items.size()))
        FavoriteItemClick(items[static_cast<std::size_t>(after)].line, false);
}

void TForm1::FavoriteItemClick(const std::string& line, bool recordVisit) {
    if (!gate_->take())
        return;
    // The current location, which the history's steps go from, changes with what still waits.
    if (!engine_->remoteCommands().idle()) {
        commandRefused(Refusal::CommandsWaiting);
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
    const PanelSide side = panels_->activeSide();
    if (sessionShownIn(side))
        connection_->dropRemoteSession();
    drives_->postFolderRead(side, line, "*.*", false);
}

void TForm1::refuseLocation(const std::string& text) {
    messages().show({"Tarvo Manager", Translate("OperationNotAllowed") + "\n\n" + text,
                     MessageButton::Ok, MessageIcon::Information});
}

void TForm1::specialFolderClick(int id) {
    if (!gate_->take())
        return;
    gate_->report(
        engine_->remoteCommands().post(cmd::GoToSpecialFolder{panels_->activeNumber(), id}));
}
