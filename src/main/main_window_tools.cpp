// The commands that start the desktop's programs: a new window, the terminal, the system tools,
// the text editor, printing, properties and sharing, network mounts and the help files.
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/product_info.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>

namespace {

// The folder name inside a folder row's brackets; other names stay as they are.
std::string bareName(const std::string& cell) {
    if (cell.size() >= 2 && cell.front() == '[' && cell.back() == ']')
        return cell.substr(1, cell.size() - 2);
    return cell;
}

std::string cleanPath(const std::string& path) {
    return QDir::cleanPath(QString::fromStdString(path)).toStdString();
}

} // namespace

void TForm1::connectShellTools() {
    struct ToolItem {
        const char* action;
        DesktopTool tool;
    };
    const ToolItem systemTools[] = {{"ControlPanel1", DesktopTool::ControlPanel},
                                    {"DeviceManager1", DesktopTool::DeviceManager},
                                    {"ComputerManagement1", DesktopTool::SystemMonitor},
                                    {"DiskDefragmenter1", DesktopTool::DiskUtility}};
    for (const ToolItem& item : systemTools) {
        connectAction(item.action, [this, tool = item.tool] { tools_->start(tool, {}); });
        enableTool({item.action}, DesktopTools::available(item.tool));
    }
    connectAction("DOS1", [this] { DOS1Click(); });
    enableTool({"DOS1"}, DesktopTools::available(DesktopTool::Terminal));
    connectAction(
        "NoweOkno1", [this] { tools_->startProgram(QCoreApplication::applicationFilePath(), {}); },
        QKeySequence(Qt::CTRL | Qt::Key_T));

    auto* notepad = findChild<QAbstractButton*>("SpeedButton42");
    connect(notepad, &QAbstractButton::clicked, this, [this] { tools_->editText({}); });
    // Edit with has no menu place; its key works anywhere in the window.
    auto* editWith = new QAction(this);
    editWith->setObjectName("DefaultEdit1");
    editWith->setShortcut(QKeySequence(Qt::Key_F3));
    addAction(editWith);
    connect(editWith, &QAction::triggered, this, [this] { DefaultEdit1Click(); });
    const auto enableEditor = [notepad, editWith](bool available) {
        notepad->setEnabled(available);
        editWith->setEnabled(available);
    };
    enableEditor(tools_->textEditorAvailable());
    connect(tools_, &DesktopTools::textEditorChecked, this, enableEditor);

    connectAction(
        "Print1", [this] { Print1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F9));
    enableTool({"Print1"}, DesktopTools::available(DesktopTool::Printer));

    connectAction(
        "waciwoci1", [this] { waciwoci1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Return));
    connectAction("ShareCurrentDirectory1", [this] { ShareCurrentDirectory1Click(); });
    connectAction("UnshareDirectory1", [this] { ShareCurrentDirectory1Click(); });
    const auto enableProperties = [this] {
        enableTool({"ShareCurrentDirectory1", "UnshareDirectory1"}, tools_->propertiesAvailable());
        enablePropertiesForPanel();
    };
    enableProperties();
    connect(tools_, &DesktopTools::propertiesServiceFound, this, enableProperties);
    connect(tools_, &DesktopTools::textEditorChecked, this, [this] { enablePropertiesForPanel(); });

    const bool mounts = DesktopTools::available(DesktopTool::NetworkMounts);
    connectAction("MapNetworkDrive1", [this] { networkDriveClick("MapNetworkDrive1", false); });
    connectAction("DisconnectNetworkDrive1",
                  [this] { networkDriveClick("DisconnectNetworkDrive1", true); });
    enableTool({"MapNetworkDrive1", "DisconnectNetworkDrive1"}, mounts);

    // The toolbar's buttons without a menu twin.
    if (auto* up = findChild<QAbstractButton*>("SpeedButton32")) {
        up->setEnabled(true);
        connect(up, &QAbstractButton::clicked, this, [this] {
            if (panelsTakeCommand())
                upButtonClick(activePanel().side());
        });
    }
}

void TForm1::connectHelpCommands() {
    connectAction(
        "Keyboardlayout1", [this] { desktop_.open(joinPath(programFolder(), "keyboard.txt")); },
        QKeySequence(Qt::Key_F1));
    connectAction("ReadMe1", [this] { desktop_.open(joinPath(programFolder(), "License.txt")); });
    connectAction("HomePage1", [this] { desktop_.open(product::kHomePage); });
}

void TForm1::enableTool(std::initializer_list<const char*> controls, bool available) {
    for (const char* name : controls)
        findChild<QAction*>(QString::fromLatin1(name))->setEnabled(available);
}

// Properties show the FTP panel's listing in the editor; a local entry's need a file manager.
void TForm1::enablePropertiesForPanel() {
    enableTool({"waciwoci1"}, sessionShownIn(activePanel().side()) ? tools_->textEditorAvailable()
                                                                   : tools_->propertiesAvailable());
}

void TForm1::reportToolFailure(const std::string& text) {
    messages().show({"Tarvo Manager", text, MessageButton::Ok, MessageIcon::Information});
}

void TForm1::DOS1Click() {
    // The panel's local folder, also while it shows the FTP session.
    tools_->start(DesktopTool::Terminal, {},
                  QString::fromStdString(activePanel().explorer().GetPath()));
}

std::optional<std::string> TForm1::selectedLocalFile() {
    PanelController& active = activePanel();
    const PanelModel& model = active.model();
    if (!panelsTakeCommand() || sessionShownIn(active.side()) ||
        model.kindOf(model.currentRow()) != PanelModel::RowKind::File)
        return std::nullopt;
    return joinPath(active.explorer().GetPath(), SelectedName);
}

std::optional<std::string> TForm1::selectedLocalEntry() {
    PanelController& active = activePanel();
    if (!panelsTakeCommand() || sessionShownIn(active.side()))
        return std::nullopt;
    return cleanPath(joinPath(active.explorer().GetPath(), bareName(SelectedName)));
}

void TForm1::DefaultEdit1Click() {
    if (const auto file = selectedLocalFile())
        tools_->editText(QString::fromStdString(*file));
}

void TForm1::Print1Click() {
    if (const auto file = selectedLocalFile())
        tools_->run(DesktopTool::Printer, {QStringLiteral("--"), QString::fromStdString(*file)});
}

void TForm1::waciwoci1Click() {
    if (!panelsTakeCommand())
        return;
    if (sessionShownIn(activePanel().side())) {
        // The raw reply of the last listing.
        tools_->editText(QString::fromStdString(joinPath(programFolder(), "temp")));
        return;
    }
    if (const auto entry = selectedLocalEntry())
        tools_->showProperties(QString::fromStdString(*entry));
}

void TForm1::ShareCurrentDirectory1Click() {
    const std::optional<std::string> entry = selectedLocalEntry();
    if (!entry)
        return;
    // A folder row (or "[..]") shares that folder; a file row the panel's own.
    const PanelModel& model = activePanel().model();
    const bool folderRow = model.kindOf(model.currentRow()) != PanelModel::RowKind::File;
    const std::string target = folderRow ? *entry : activePanel().explorer().GetPath();
    tools_->showProperties(QString::fromStdString(target));
}

void TForm1::networkDriveClick(const char* item, bool disconnect) {
    QString title = findChild<QAction*>(item)->text();
    if (title.endsWith(QStringLiteral("...")))
        title.chop(3);
    const std::string initial = disconnect ? activePanel().explorer().GetPath() : std::string();
    const std::optional<std::string> answer =
        messages().askText(title.toStdString(), "Location:", initial);
    if (!answer || answer->empty())
        return;
    QString location = QString::fromStdString(*answer).trimmed();
    // A name that begins with "-" is a file name here, not an option of the mount tool.
    if (location.startsWith('-'))
        location.prepend(QStringLiteral("./"));
    QStringList arguments{QStringLiteral("mount")};
    if (disconnect)
        arguments << QStringLiteral("-u");
    tools_->run(DesktopTool::NetworkMounts, arguments << location);
}
