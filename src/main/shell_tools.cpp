#include "main/shell_tools.h"

#include "app/engine.h"
#include "main/after_first_frame.h"
#include "main/command_gate.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/product_info.h"
#include "platform/desktop_opener.h"
#include "platform/desktop_tools.h"
#include "platform/message_service.h"
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

ShellTools::ShellTools(const WindowContext& context, DesktopTools& tools, DesktopOpener& desktop)
    : context_(context), tools_(tools), desktop_(desktop) {
    struct ToolItem {
        const char* action;
        DesktopTool tool;
    };
    const ToolItem systemTools[] = {{"ControlPanel1", DesktopTool::ControlPanel},
                                    {"DeviceManager1", DesktopTool::DeviceManager},
                                    {"ComputerManagement1", DesktopTool::SystemMonitor},
                                    {"DiskDefragmenter1", DesktopTool::DiskUtility}};
    for (const ToolItem& item : systemTools) {
        context_.connectAction(this, item.action,
                               [this, tool = item.tool] { tools_.start(tool, {}); });
        enableTool({item.action}, DesktopTools::available(item.tool));
    }
    context_.connectAction(this, "DOS1", [this] { DOS1Click(); });
    enableTool({"DOS1"}, DesktopTools::available(DesktopTool::Terminal));
    context_.connectAction(
        this, "NoweOkno1",
        [this] { tools_.startProgram(QCoreApplication::applicationFilePath(), {}); },
        QKeySequence(Qt::CTRL | Qt::Key_T));

    auto* notepad = context_.window.findChild<QAbstractButton*>("SpeedButton42");
    connect(notepad, &QAbstractButton::clicked, this, [this] { tools_.editText({}); });
    // Edit with has no menu place; its key works anywhere in the window.
    auto* editWith = new QAction(&context_.window);
    editWith->setObjectName("DefaultEdit1");
    editWith->setShortcut(QKeySequence(Qt::Key_F3));
    context_.window.addAction(editWith);
    connect(editWith, &QAction::triggered, this, [this] { DefaultEdit1Click(); });
    const auto enableEditor = [notepad, editWith](bool available) {
        notepad->setEnabled(available);
        editWith->setEnabled(available);
    };
    enableEditor(tools_.textEditorAvailable());
    connect(&tools_, &DesktopTools::textEditorChecked, this, enableEditor);
    afterFirstFrame(context_.window, [this] { tools_.checkTextEditor(); });

    context_.connectAction(
        this, "Print1", [this] { Print1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_F9));
    enableTool({"Print1"}, DesktopTools::available(DesktopTool::Printer));

    context_.connectAction(
        this, "waciwoci1", [this] { waciwoci1Click(); }, QKeySequence(Qt::ALT | Qt::Key_Return));
    context_.connectAction(this, "ShareCurrentDirectory1",
                           [this] { ShareCurrentDirectory1Click(); });
    context_.connectAction(this, "UnshareDirectory1", [this] { ShareCurrentDirectory1Click(); });
    const auto enableProperties = [this] {
        enableTool({"ShareCurrentDirectory1", "UnshareDirectory1"}, tools_.propertiesAvailable());
        enablePropertiesForPanel();
    };
    enableProperties();
    connect(&tools_, &DesktopTools::propertiesServiceFound, this, enableProperties);
    connect(&tools_, &DesktopTools::textEditorChecked, this,
            [this] { enablePropertiesForPanel(); });

    const bool mounts = DesktopTools::available(DesktopTool::NetworkMounts);
    context_.connectAction(this, "MapNetworkDrive1",
                           [this] { networkDriveClick("MapNetworkDrive1", false); });
    context_.connectAction(this, "DisconnectNetworkDrive1",
                           [this] { networkDriveClick("DisconnectNetworkDrive1", true); });
    enableTool({"MapNetworkDrive1", "DisconnectNetworkDrive1"}, mounts);
    connectHelpCommands();
}

void ShellTools::connectHelpCommands() {
    context_.connectAction(
        this, "Keyboardlayout1",
        [this] { desktop_.open(joinPath(programFolder(), "keyboard.txt")); },
        QKeySequence(Qt::Key_F1));
    context_.connectAction(this, "ReadMe1",
                           [this] { desktop_.open(joinPath(programFolder(), "License.txt")); });
    context_.connectAction(this, "HomePage1", [this] { desktop_.open(product::kHomePage); });
}

void ShellTools::enableTool(std::initializer_list<const char*> controls, bool available) {
    for (const char* name : controls)
        context_.action(name)->setEnabled(available);
}

void ShellTools::enablePropertiesForPanel() {
    enableTool({"waciwoci1"}, context_.engine.sessionShownIn(context_.panels.active().side())
                                  ? tools_.textEditorAvailable()
                                  : tools_.propertiesAvailable());
}

void ShellTools::DOS1Click() {
    // The panel's local folder, also while it shows the FTP session.
    tools_.start(DesktopTool::Terminal, {},
                 QString::fromStdString(context_.panels.active().explorer().GetPath()));
}

std::optional<std::string> ShellTools::selectedLocalFile() {
    PanelController& active = context_.panels.active();
    const PanelModel& model = active.model();
    if (!context_.gate.take() || context_.engine.sessionShownIn(active.side()) ||
        model.kindOf(model.currentRow()) != PanelModel::RowKind::File)
        return std::nullopt;
    return joinPath(active.origin().Folder, context_.panels.selected().name);
}

std::optional<std::string> ShellTools::selectedLocalEntry() {
    PanelController& active = context_.panels.active();
    if (!context_.gate.take() || context_.engine.sessionShownIn(active.side()))
        return std::nullopt;
    return cleanPath(joinPath(active.origin().Folder, bareName(context_.panels.selected().name)));
}

void ShellTools::DefaultEdit1Click() {
    if (const auto file = selectedLocalFile())
        tools_.editText(QString::fromStdString(*file));
}

void ShellTools::Print1Click() {
    if (const auto file = selectedLocalFile())
        tools_.run(DesktopTool::Printer, {QStringLiteral("--"), QString::fromStdString(*file)});
}

void ShellTools::waciwoci1Click() {
    if (!context_.gate.take())
        return;
    if (context_.engine.sessionShownIn(context_.panels.active().side())) {
        // The raw reply of the last listing.
        tools_.editText(QString::fromStdString(joinPath(programFolder(), "temp")));
        return;
    }
    if (const auto entry = selectedLocalEntry())
        tools_.showProperties(QString::fromStdString(*entry));
}

void ShellTools::ShareCurrentDirectory1Click() {
    const std::optional<std::string> entry = selectedLocalEntry();
    if (!entry)
        return;
    // A folder row (or "[..]") shares that folder; a file row the panel's own.
    const PanelModel& model = context_.panels.active().model();
    const bool folderRow = model.kindOf(model.currentRow()) != PanelModel::RowKind::File;
    const std::string target = folderRow ? *entry : context_.panels.active().origin().Folder;
    tools_.showProperties(QString::fromStdString(target));
}

void ShellTools::networkDriveClick(const char* item, bool disconnect) {
    QString title = context_.action(item)->text();
    if (title.endsWith(QStringLiteral("...")))
        title.chop(3);
    const std::string initial =
        disconnect ? context_.panels.active().explorer().GetPath() : std::string();
    const std::optional<std::string> answer =
        context_.messages.askText(title.toStdString(), "Location:", initial);
    if (!answer || answer->empty())
        return;
    QString location = QString::fromStdString(*answer).trimmed();
    // A name that begins with "-" is a file name here, not an option of the mount tool.
    if (location.startsWith('-'))
        location.prepend(QStringLiteral("./"));
    QStringList arguments{QStringLiteral("mount")};
    if (disconnect)
        arguments << QStringLiteral("-u");
    tools_.run(DesktopTool::NetworkMounts, arguments << location);
}
