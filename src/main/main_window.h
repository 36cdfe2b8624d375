#pragma once

#include "app/engine.h"
#include "frontend/frontend.h"
#include "main/panel_icons.h"
#include "main/panel_widgets.h"
#include "main/progress_strip.h"
#include "main/window_context.h"
#include "main/window_switch_key.h"
#include "platform/desktop_opener.h"
#include "platform/desktop_tools.h"
#include "platform/ui_bridge.h"
#include "settings/language_table.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CommandGate;
class CommandHolds;
class ConnectBar;
class ConnectionCommands;
class ConsolePane;
class DriveBoxes;
class EditorProgram;
class FileCommands;
class FileJobs;
class FolderCommands;
class NavigatorMenus;
class PanelCommands;
class PanelController;
class PanelPair;
class ShellTools;
class SiteCommands;
class StartupDatabases;
class TerminationSignals;
class TransferCommands;
class WindowSettings;
class WindowTray;
class ZipCommands;

// The main window: two panels, the toolbars, the FTP connection bar, the console and the
// progress strip. It builds the widgets, the Engine under them (explorers, FTP session, stores,
// command workers) and the command groups that drive it, carries what the engine asks of the
// screen to the GUI thread, and runs the start-up and the close.
class TForm1 : public QMainWindow, public Frontend {
    Q_OBJECT
public:
    // Makes the message service; tests pass one that answers from a script.
    using MessageServiceFactory =
        std::function<std::unique_ptr<MessageService>(UiBridge& bridge, QWidget* owner)>;

    explicit TForm1(MessageServiceFactory makeMessages = {});
    ~TForm1() override;

    // Frontend
    MessageService& messages() override;
    void setPanelsEnabled(bool enabled) override;
    void showPanel(PanelSide side, PanelView view) override;
    void clearMarks(PanelSide side) override;
    void openDocument(std::string path) override;
    void openInEditor(std::string path) override;
    void localFoldersChanged() override;
    void addToHistory(PanelSide side, std::string entry) override;
    void jobEnded(const std::shared_ptr<Job>& job, int finishKind) override;
    void showCurrentFile(std::string text) override;
    void unmarkRow(PanelSide side, int row, std::string name) override;
    void appendConsole(std::string text) override;
    void showSession(SessionView session) override;
    void serverWait(bool waiting) override;
    void completeProgress() override;
    void commandRefused(Refusal why) override;
    void commandsSettled() override;

    // Runs after construction: reads env.dat, the language file and the settings file and sets
    // every caption. Run again after the language changes, it repeats only the language and the
    // texts: settings changed since the start stay as the user set them.
    void FormCreate();
    std::string Translate(const std::string& key) const;

    PanelController& panel(PanelSide side);
    void ActivateLeftPanel();
    void activatePanel(PanelSide side);
    int activePanelNumber() const; // 2 left, 1 right
    // The entry under the active panel's current row.
    const std::string& selectedName() const;
    bool briefView(PanelSide side) const;
    int serverWaitState() const;
    bool zipJobRunning() const;

    // The explorers, the FTP session, the stores and the command workers.
    Engine& engine();
    // The panel switch's key; the dialogs that take Tab for themselves hold it on Ctrl+Tab.
    WindowSwitchKey& windowSwitchKey();
    // The desktop's programs: the text editor ("notepad"), terminal, printer queue, ...
    DesktopTools& desktopTools();
    // Rebuilds the favourites block of the Navigator menu from the favourites file.
    void RebuildFavoritesMenu();
    // Where the console is saved (tests answer without a file dialog).
    void setLogFileChooser(std::function<QString()> choose);
    // The program F4 opens files with: "notepad" or a full path.
    const std::string& editorPath() const;
    void setEditorPath(std::string program);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Construction. The panels' controls are built with the others, then handed to the panels
    // made over the engine; the fonts `databases` loads are waited for before the first widget
    // that measures text.
    void buildWidgets(PanelWidgets& left, PanelWidgets& right, StartupDatabases& databases);
    QWidget* buildToolbar();
    ProgressStrip::Hooks progressHooks();
    void createEngine(const PanelWidgets& left, const PanelWidgets& right);
    void startWorkers();
    void connectCommands();
    void applyTexts();
    // A command that failed unexpectedly is logged in the console and on stderr, and the panels
    // it had locked are enabled again. Any thread.
    void reportCommandFailure(int code, const std::string& reason);

    // Start-up and periphery.
    void reportUnreadableFiles(std::string editorProblem);
    void FormShow();
    // The application became the active one: re-reads both local panels when idle, from the
    // second time on.
    void ApplicationEvents1Activate();
    void Jzyk1Click(); // the language dialog
    void About1Click();

    // Close.
    void connectCloseSources();
    void FormCloseQuery();
    void stopWorkers();
    void closeFtpSession();
    void deleteEditedCopies();

    UiBridge bridge;
    std::unique_ptr<MessageService> messages_;
    LanguageTable language_;
    PanelIcons icons_;
    // Opening files: a file the desktop cannot open is named in a message box.
    DesktopOpener desktop_;

    // Owned by the window as its Qt children.
    ConnectBar* connectBar_ = nullptr;
    ConsolePane* console_ = nullptr;
    ProgressStrip* strip_ = nullptr;
    DesktopTools* tools_ = nullptr;

    std::unique_ptr<Engine> engine_; // before the panels, which show its explorers
    std::unique_ptr<WindowSwitchKey> windowSwitchKey_;
    std::unique_ptr<PanelPair> panels_;
    std::unique_ptr<CommandGate> gate_;
    std::optional<WindowContext> context_; // what the command groups share

    // The command groups, each reaching only those before it.
    std::unique_ptr<PanelCommands> panelCommands_;
    std::unique_ptr<WindowSettings> settings_;
    std::unique_ptr<EditorProgram> editor_;
    std::unique_ptr<FileJobs> fileJobs_;
    std::unique_ptr<TransferCommands> transfers_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<ConnectionCommands> connection_;
    std::unique_ptr<SiteCommands> sites_;
    std::unique_ptr<DriveBoxes> drives_;
    std::unique_ptr<FolderCommands> folders_;
    std::unique_ptr<NavigatorMenus> navigator_;
    std::unique_ptr<WindowTray> tray_;
    std::unique_ptr<ShellTools> shell_;
    std::unique_ptr<CommandHolds> holds_;
    std::unique_ptr<ZipCommands> zip_;

    std::unique_ptr<TerminationSignals> terminationSignals_;
    bool formCreated_ = false;
    bool activatedBefore_ = false;
    bool closed_ = false;
};
