#include "main/menu_tree.h"

#include "settings/language_table.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

const std::vector<MenuNode>& mainMenuTree() {
    static const std::vector<MenuNode> tree{
        {"File1",
         "Files",
         false,
         "",
         false,
         {{"Zip1", "Pack", true},
          {"UnZip1", "Unpack", true},
          {"Zipview1", "ViewZipArchive", true},
          {"Zapiszjako1", "SaveAs", true},
          {"Zmieatrybuty1", "ChangeAttributes", true},
          {"waciwoci1", "Properties", true},
          {"Print1", "Print"},
          {"NoweOkno1", "NewWindow"},
          {"-"},
          {"wyjcie1", "Quit"}}},
        {"Zaznaczenie1",
         "Mark",
         false,
         "",
         false,
         {{"Zaznaczwszystko1", "SelectAll"},
          {"Odznaczwszystko1", "UnselectAll"},
          {"Odwrzaznaczenie1", "InvertSelection"},
          {"Extension1", "ExtensionAdd"},
          {"Unselectallwiththesameext1", "ExtensionRem"}}},
        {"Polecenia1",
         "Commands",
         false,
         "",
         false,
         {{"Edytuj2", "Edit"},
          {"kopiuj1", "Copy"},
          {"Move1", "Move"},
          {"ZmNazw1", "Rename"},
          {"UtwKat1", "NewFolder"},
          {"Usu1", "Delete"},
          {"-"},
          {"MapNetworkDrive1", "MapNetworkDrive", true},
          {"DisconnectNetworkDrive1", "DisconnectNetworkDrive", true},
          {"ShareCurrentDirectory1", "ShareCurrentDirectory", true},
          {"UnshareDirectory1", "UnshareDirectory", true},
          {"Konsola1",
           "Console",
           false,
           "",
           true,
           {{"DrzewoFTP1", "FTPTree", false, "", true},
            {"DrzewoLokalne1", "DiskTree", false, "", true}}},
          {"-"},
          {"DOS1", "RunDOS"},
          {"ControlPanel1", "ControlPanel"}}},
        {"Navigator1",
         "Navigator",
         false,
         "",
         false,
         {{"Back1", "Back"},
          {"Forward1", "Forward"},
          {"History1", "History"},
          {"N19"},
          {"AddtoFavorites1", "AddToFavorites"},
          {"OrganizeFavorites1", "OrganizeFavorites", true},
          {"Goto1",
           "GoTo",
           false,
           "",
           false,
           {{"MyDocuments1", "MyDocuments"},
            {"Desktop1", "Desktop"},
            {"FAVORITES1", "Favorites"},
            {"CSIDLRECENT1", "Recent"},
            {"SendTo1", "StartMenu"}}}}},
        {"FTP1",
         nullptr,
         false,
         "FTP",
         false,
         {{"Pocz1", "Connect"},
          {"rozcz1", "Disconnect"},
          {"noweedycja1", "NewConnection", true},
          {"usu2", "Delete"},
          {"OpcjeFTP1", "Settings", true},
          {"-"},
          {"FTPCommand1", "CommandBox", true},
          {"Filtry1", "SaveLogFile", true},
          {"Czyoknokonsoli1", "ClearConsole"}}},
        {"Widok1",
         "Options",
         false,
         "",
         false,
         {{"Jzyk1", "Language", true},
          {"EditorforF41",
           "EditorForF4",
           false,
           "",
           false,
           {{"Notepad1", nullptr, false, "Notepad"}, {"N9", nullptr, false, "..."}}},
          {"Icons1", "Icons", false, "", false, {{"Standard1", "Standard"}, {"All1", "All"}}},
          {"System1",
           nullptr,
           false,
           "System",
           false,
           {{"DiskDefragmenter1", "DiskDefragmenter"},
            {"DeviceManager1", "DeviceManager"},
            {"ComputerManagement1", "ComputerManagement"}}}}},
        {"widok2",
         "View",
         false,
         "",
         false,
         {{"Minimalizyjdozasobnika1", "HideInTray"},
          {"odwie1", "Refresh"},
          {"ab1",
           "Window",
           false,
           "",
           false,
           {{"Aktywneokno1", "SelectWindow"}, {"Disk1", "SelectDrive"}}},
          {"Sorttype1",
           "ArrangeBy",
           false,
           "",
           false,
           {{"nazwa1", "Name"},
            {"typ1", "Extension"},
            {"data1", "Date"},
            {"rozmiar1", "Size"},
            {"atrybuty1", "Attributes"}}},
          {"-"},
          {"brief1", "Brief"},
          {"full1", "Full"}}},
        {"Pomoc1",
         "About",
         false,
         "",
         false,
         {{"konfiguracjakonta1", "NewConnection", true, "", true},
          {"Keyboardlayout1", "KeyboardLayout"},
          {"HomePage1", "HomePage"},
          {"ReadMe1", "ReadMe"},
          {"-"},
          {"About1", "AboutTarvo", true}}},
    };
    return tree;
}

namespace {

bool isSeparator(const MenuNode& node) {
    return QString::fromLatin1(node.name) == "-" || QString::fromLatin1(node.name) == "N19";
}

void buildInto(QMenu* menu, const std::vector<MenuNode>& nodes) {
    for (const MenuNode& node : nodes) {
        if (isSeparator(node)) {
            QAction* separator = menu->addSeparator();
            if (QString::fromLatin1(node.name) != "-")
                separator->setObjectName(QString::fromLatin1(node.name));
            continue;
        }
        if (!node.children.empty()) {
            QMenu* submenu = menu->addMenu(QString::fromUtf8(node.fixedCaption));
            submenu->setObjectName(QString::fromLatin1(node.name));
            submenu->menuAction()->setVisible(!node.hidden);
            buildInto(submenu, node.children);
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(node.fixedCaption));
        action->setObjectName(QString::fromLatin1(node.name));
        action->setVisible(!node.hidden);
        action->setEnabled(false);
    }
}

QString caption(const MenuNode& node, const LanguageTable& texts) {
    QString text = QString::fromStdString(texts.translate(node.key));
    return node.ellipsis ? text + "..." : text;
}

void translateInto(QObject* root, const std::vector<MenuNode>& nodes, const LanguageTable& texts) {
    for (const MenuNode& node : nodes) {
        if (node.key != nullptr) {
            const QString name = QString::fromLatin1(node.name);
            if (auto* submenu = root->findChild<QMenu*>(name))
                submenu->setTitle(caption(node, texts));
            else if (auto* action = root->findChild<QAction*>(name))
                action->setText(caption(node, texts));
        }
        translateInto(root, node.children, texts);
    }
}

} // namespace

void buildMenus(QMenuBar* bar, const std::vector<MenuNode>& tree) {
    for (const MenuNode& top : tree) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(top.fixedCaption));
        menu->setObjectName(QString::fromLatin1(top.name));
        buildInto(menu, top.children);
    }
}

void translateMenus(QMenuBar* bar, const std::vector<MenuNode>& tree, const LanguageTable& texts) {
    translateInto(bar, tree, texts);
}
