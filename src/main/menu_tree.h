#pragma once

#include <QString>

#include <vector>

class LanguageTable;
class QMenu;
class QMenuBar;

// The main window's menus as data: each node names its action (or submenu) and the language
// key of its caption, so that building the menus and translating them walk the same tree.
struct MenuNode {
    const char* name;              // object name; "-" for a separator
    const char* key = nullptr;     // language key; none: the caption stays `fixedCaption`
    bool ellipsis = false;         // "..." after the translated caption
    const char* fixedCaption = ""; // caption of items whose text is not translated
    bool hidden = false;
    std::vector<MenuNode> children = {};
};

const std::vector<MenuNode>& mainMenuTree();

// Builds the menus into the bar. Every item starts disabled: a command enables its items when
// it connects to them, so nothing offers a command that does not run.
void buildMenus(QMenuBar* bar, const std::vector<MenuNode>& tree);

// Sets every caption that has a key from the language table.
void translateMenus(QMenuBar* bar, const std::vector<MenuNode>& tree, const LanguageTable& texts);
