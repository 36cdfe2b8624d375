#pragma once

#include <string>

// Shell folder numbers of the special-folder commands.
enum SpecialFolderId : int {
    kDesktopFolder = 0,
    kDocumentsFolder = 5,
    kFavoritesFolder = 6,
    kRecentFolder = 8,
    kStartMenuFolder = 11,
};

// The user's folder for a special-folder number: Documents and Desktop as the desktop's user
// folders name them, the Start menu as the user's application entries. Favorites, Recent and
// unknown numbers have no folder here: empty.
std::string specialFolderPath(int id);
