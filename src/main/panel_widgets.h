#pragma once

#include <QIcon>
#include <QStyle>

class QComboBox;
class QLabel;
class PanelGrid;
class QToolButton;
class QWidget;

// The controls of one panel, built alike for both sides under their own names.
struct PanelWidgets {
    QWidget* container = nullptr; // disabled while a command runs
    QWidget* header = nullptr;    // the column header buttons
    QToolButton* nameButton = nullptr;
    QToolButton* typeButton = nullptr;
    QToolButton* sizeButton = nullptr;
    QToolButton* attrButton = nullptr;
    QToolButton* dateButton = nullptr;
    QWidget* pathRow = nullptr; // coloured while the panel is active
    QWidget* pathBar = nullptr;
    QLabel* pathLabel = nullptr;
    QComboBox* maskBox = nullptr;
    QToolButton* refreshButton = nullptr;
    QToolButton* rootButton = nullptr;
    QToolButton* upButton = nullptr;
    QToolButton* historyButton = nullptr;
    QToolButton* favoritesButton = nullptr;
    PanelGrid* grid = nullptr;
    QLabel* totalsLabel = nullptr;
    QLabel* selectionLabel = nullptr;
    QLabel* diskLabel = nullptr;
    QComboBox* driveBox = nullptr;
};

// Object names of one side's controls.
struct PanelNames {
    const char* container;
    const char* header;
    const char* nameButton;
    const char* typeButton;
    const char* sizeButton;
    const char* attrButton;
    const char* dateButton;
    const char* pathRow;
    const char* pathBar;
    const char* pathLabel;
    const char* maskBox;
    const char* refreshButton;
    const char* rootButton;
    const char* upButton;
    const char* historyButton;
    const char* favoritesButton;
    const char* grid;
    const char* totalsLabel;
    const char* selectionLabel;
    const char* diskLabel;
    const char* driveBox;
    const char* accessibleName;
};

inline constexpr PanelNames kLeftPanelNames{
    "Panel5",        "Panel11",       "SpeedButton14", "SpeedButton22", "SpeedButton15",
    "SpeedButton16", "SpeedButton17", "Shape1",        "Panel8",        "Label1",
    "ComboBox2",     "SpeedButton8",  "SpeedButton4",  "SpeedButton5",  "SpeedButton26",
    "SpeedButton28", "StringGrid2",   "Label13",       "Label16",       "Label8",
    "ComboBox4",     "Left panel"};

inline constexpr PanelNames kRightPanelNames{
    "Panel2",        "Panel12",       "SpeedButton18", "SpeedButton23", "SpeedButton19",
    "SpeedButton20", "SpeedButton21", "Shape2",        "Panel9",        "Label11",
    "ComboBox3",     "SpeedButton6",  "SpeedButton7",  "SpeedButton9",  "SpeedButton27",
    "SpeedButton29", "StringGrid1",   "Label14",       "Label17",       "Label12",
    "ComboBox5",     "Right panel"};

// The icons of the path row's buttons, made once for both panels: the style's own icons read
// their image files at every size as they are made.
struct PathRowIcons {
    QIcon refresh;
    QIcon history;
    QIcon favorites;
};
PathRowIcons pathRowIcons(const QStyle& style);

PanelWidgets buildPanel(const PanelNames& names, const PathRowIcons& icons, QWidget* parent);
