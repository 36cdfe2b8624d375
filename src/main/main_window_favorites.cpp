// Favourites: the block of the Navigator menu, Add to Favorites, the panels' favourites
// buttons and the organisers.
#include "frontend/frontend.h"
#include "main/favorites_organizer.h"
#include "main/main_window.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

void TForm1::RebuildFavoritesMenu() {
    for (QAction* action : favoriteActions_) {
        Navigator1->removeAction(action);
        action->deleteLater();
    }
    favoriteActions_.clear();
    const auto lines = engine_->navigation().favorites();
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

void TForm1::AddtoFavorites1Click() {
    if (engine_->navigation().addFavorite(engine_->locationEntry(panels_->activeSide())))
        favoritesUpdated();
}

void TForm1::favoritesUpdated() {
    RebuildFavoritesMenu();
    emit favoritesChanged();
}

void TForm1::favoritesButtonClick(PanelSide side) {
    PopupMenu3->clear();
    for (QAction* favorite : favoriteActions_) {
        if (favorite->isSeparator())
            continue;
        QAction* copy = PopupMenu3->addAction(favorite->text());
        copy->setStatusTip(favorite->statusTip());
        copy->setData(favorite->data());
        connect(copy, &QAction::triggered, favorite, &QAction::trigger);
    }
    panels_->activate(side);
    PopupMenu3->popup(QCursor::pos());
}

void TForm1::OrganizeFavorites1Click() {
    TOKRightDlg1234567::Hooks hooks{[this](const std::string& key) { return Translate(key); },
                                    [this] { AddtoFavorites1Click(); },
                                    [this] { favoritesUpdated(); }};
    auto* organizer = new TOKRightDlg1234567(engine_->navigation(), std::move(hooks), this);
    organizer->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &TForm1::favoritesChanged, organizer, &TOKRightDlg1234567::FormShow);
    organizer->show();
}
