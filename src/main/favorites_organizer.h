#pragma once

#include "app/navigation_store.h"

#include <QDialog>

#include <functional>
#include <string>

class QListWidget;
class QStatusBar;
class QToolButton;

// The favourites organiser: a list of the favourites with buttons to add the active panel's
// location, delete a line and move it up or down. Every change is made to the file as it is at
// that moment, on the line the user chose, so favourites added meanwhile (from the menu or in
// another organiser) are never lost; after any change all open organisers show the file anew.
class TOKRightDlg1234567 : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<std::string(const std::string& key)> translate;
        std::function<void()> addCurrentLocation; // the main window's Add to Favorites
        std::function<void()> favoritesChanged;   // the file was changed here
    };

    TOKRightDlg1234567(NavigationStore& store, Hooks hooks, QWidget* parent);

    // Sets the captions and shows the file's lines; a file that cannot be read leaves the
    // list as it was. The selection stays on the same line where it still exists.
    void FormShow();

    void SpeedButton4Click(); // Add
    void SpeedButton1Click(); // Delete
    void SpeedButton2Click(); // Move up
    void SpeedButton3Click(); // Move down

    QListWidget* ListBox1 = nullptr;

private:
    // Moves the chosen line by offset (-1 up, 1 down) in the file; nothing at the edges.
    void moveSelected(int offset);
    void select(int row);

    NavigationStore& store_;
    Hooks hooks_;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
};
