#pragma once

#include "app/coalesced_text.h"
#include "app/engine.h"
#include "app/location_entry.h"
#include "app/refusal_notice.h"
#include "frontend/frontend.h"
#include "frontend/job_queue.h"
#include "ftp/site_record.h"
#include "local/zip_jobs/zip_thread.h"
#include "main/panel_grid.h"
#include "main/panel_icons.h"
#include "main/panel_widgets.h"
#include "main/window_switch_key.h"
#include "platform/desktop_opener.h"
#include "platform/desktop_tools.h"
#include "platform/message_service.h"
#include "platform/mount_table.h"
#include "platform/mount_watcher.h"
#include "platform/ui_bridge.h"
#include "settings/language_table.h"
#include "settings/settings_document.h"
#include "workers/commands.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class QToolButton;
class PanelController;
class StartupDatabases;
class TerminationSignals;
class TOKRightDlg1234;
class TOKRightDlg12345;
struct SiteSettings;

// The main window: two panels, the toolbar, the FTP connection bar, the console and the
// progress strip. It drives the Engine (explorers, FTP session, stores, command workers) and
// carries what the engine asks of the screen to the GUI thread.
class TForm1 : public QMainWindow, public Frontend, private ZipJobHost {
    Q_OBJECT
public:
    // Makes the message service; tests pass one that answers from a script.
    using MessageServiceFactory =
        std::function<std::unique_ptr<MessageService>(UiBridge& bridge, QWidget* owner)>;

    explicit TForm1(MessageServiceFactory makeMessages = {});
    ~TForm1() override;

    // Frontend
    MessageService& messages() override { return *messages_; }
    void setPanelsEnabled(bool enabled) override;
    void showPanel(PanelSide side, PanelView view) override;
    void clearMarks(PanelSide side) override;
    void openDocument(std::string path) override;
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

    std::string Translate(const std::string& key) const { return language_.translate(key); }

    // Runs after construction: reads env.dat, the language file and the settings file and sets
    // every caption. Run again after the language changes, it repeats only the language and the
    // texts: settings changed since the start stay as the user set them.
    void FormCreate();

    PanelController& panel(PanelSide side);
    void ActivateLeftPanel();

    // Rebuilds the favourites block of the Navigator menu from the favourites file.
    void RebuildFavoritesMenu();

    // The entry under the active panel's current row.
    const std::string& selectedName() const { return SelectedName; }
    int serverWaitState() const { return ServerWaitState; }
    bool briefView(PanelSide side) const {
        return side == PanelSide::Left ? LeftBriefView : RightBriefView;
    }

    // Shared state.
    std::atomic<int> ActivePanel{2}; // 2 left, 1 right

    // The explorers, the FTP session, the stores and the command workers.
    Engine& engine() { return *engine_; }

    // FTP client: the connect button (connect, or disconnect while connected or connecting) and
    // where the console is saved (tests answer without a file dialog).
    void butConnectClick();
    std::function<QString()> chooseLogFile;

    // Settings, start-up and close.
    std::string EditorPath; // the program F4 opens files with: "notepad" or a full path
    void brief1Click();     // brief view of the active panel
    void full1Click();      // full view of the active panel

    // Window, tray, shell tools, help and the About box.
    // The panel switch's key; the dialogs that take Tab for themselves hold it on Ctrl+Tab.
    WindowSwitchKey& windowSwitchKey() { return *windowSwitchKey_; }
    // The desktop's programs: the text editor ("notepad"), terminal, printer queue, ...
    DesktopTools& desktopTools() { return *tools_; }
    // The application became the active one: re-reads both local panels when idle, from the
    // second time on.
    void ApplicationEvents1Activate();

    // Zip jobs and the archive viewer.
    bool zipJobRunning() const;

signals:
    // The favourites file was changed through this window (menu or an organiser).
    void favoritesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Panels.
    PanelController& activePanel();
    LocalExplorer& explorer(PanelSide side);
    void ActivateRightPanel();
    void activatePanel(PanelSide side);
    void connectPanel(PanelController& source);
    // The active panel's current row changed: the selected-entry fields follow it.
    void entrySelected(PanelController& panel);
    // Rewrites the selection line of the active panel: marked files, folders and their size.
    void ShowSelectionInfo();
    void showSelectionLine(PanelController& panel);
    void Aktywneokno1Click(); // switch panels
    void openCurrentEntry(PanelSide side);
    void upButtonClick(PanelSide side);
    bool panelsIdle() const;
    // Whether a command of the user's may run now; when the panels wait for a command, the
    // status line says why it was not taken.
    bool panelsTakeCommand();
    // A command the worker did not take says so on the status line.
    void reportPost(PostResult result);

    // Waits for the fonts of `databases` before the first widget that measures text.
    void buildWidgets(StartupDatabases& databases);
    QWidget* buildToolbar();
    QWidget* buildConnectBar();
    QWidget* buildConsole();
    QWidget* buildProgressStrip();
    void buildTrayIcon();
    void applyTexts();
    void createEngine();
    void startWorkers();
    void connectCommands();
    void connectMarkCommands();
    void connectSortCommands();
    void connectIconCommands();
    void connectAction(const char* name, std::function<void()> handler,
                       const QKeySequence& shortcut = {});
    // The menu items become check items of which one at a time carries the mark.
    void makeExclusive(std::initializer_list<const char*> names);
    void setIconMode(bool standard);

    // Settings, start-up and close.
    std::string loadEditorSetting(); // why env.dat could not be read, if it could not
    void showEditorChoice(const std::string& program);
    void N9Click();
    void Notepad1Click();
    void readStartSettings();
    void reportUnreadableFiles(std::string editorProblem);
    void FormShow();
    void setBriefView(PanelSide side, bool brief);
    QWidget* buildSecondToolbar();
    void connectToolbarButtons();
    void connectSettingsCommands();
    void connectViewCommands();
    void connectCloseSources();
    void FormCloseQuery();
    void stopWorkers();
    void closeFtpSession();
    void deleteEditedCopies();
    void saveSettings();

    // Local file operations (main_window_fileops.cpp): copy, move, drops, make folder,
    // delete, rename, attributes.
    void connectFileCommands();
    void localFoldersChanged() override;
    void SpeedButton13Click(); // copy
    void Move1Click();
    void copyMarked(bool move);
    // Copies (or moves) the marked rows of a panel into the other panel's folder.
    void postCopy(PanelSide source, bool move);
    void dropRows(PanelSide target);
    void dropFiles(PanelSide target, const std::vector<std::string>& paths);
    void butGetFileClick();    // make folder
    void butSetFileClick();    // delete
    void SpeedButton10Click(); // rename
    void Zmieatrybuty1Click(); // attributes
    // Adds the marked rows of the panel (never "[..]") to the pending job.
    void queueMarked(PanelController& panel, const std::string& target);
    // Posts a file job; false (and nothing posted) when it is empty or a command runs.
    template <class Command>
    bool postJob(Mailbox& mailbox, Command command, std::optional<JobQueue> queue) {
        std::optional<JobWork> work = startJob(std::move(queue));
        if (!work)
            return false;
        command.work = *work;
        jobPosted(work->job, mailbox.post(std::move(command)));
        return true;
    }
    // Takes the panels for a job, or nothing when it is empty or a command runs.
    std::optional<JobWork> startJob(std::optional<JobQueue> queue);
    void jobPosted(const std::shared_ptr<Job>& job, PostResult result);
    void RefreshRowIfVisible(int row);

    // Transfers (main_window_transfers.cpp): download and upload of the marked rows, save
    // as, and F4 with the re-upload of edited copies.
    void connectTransferCommands();
    // Downloads or uploads the marked rows of the panel, by which side shows the session.
    void postTransfer(PanelSide source);
    void Zapiszjako1Click();   // save as
    void SpeedButton12Click(); // edit (F4)
    void openInEditor(std::string path) override;
    void startEditor(const std::string& path);

    // The progress strip (main_window_progress.cpp).
    void connectProgressStrip();
    void Timer2Timer();
    void SpeedButton24Click(); // cancel
    void showJobProgress();
    void showTransferProgress(const JobProgress& progress);
    void showServerWait();
    void showArchiveWork();
    void setBar(double fraction);
    void setBusyCursor(bool busy);
    // Blank texts, the plain title and the bar at the given fill: the strip with nothing to show.
    void showStripAtRest(double barFraction);
    void OperationFinished(int kind);
    void CompleteProgress();
    // The status line's text of the item worked on, unless a refusal holds the line.
    void showStatusItem(const QString& text);
    void showRefusal(Refusal why);
    void clearSettledRefusal();
    RefusalNotice refusal_;

    std::shared_ptr<Job> runningJob_; // the file job the strip shows and the cancel stops
    QueueList Jobs;
    int TimerTicks = 0;
    std::int64_t lastTickBytes_ = 0;
    std::int64_t lastTickDone_ = 0; // of the transfer's file at the last tick
    int TransferTicks = 0;          // ticks in which the transfer moved bytes
    int WaitAnimationStep = 0;
    int ZipAnimationStep = 0;
    bool busyCursor_ = false;
    // Whether disabled panels took the keyboard focus from a grid, and where it went.
    bool gridFocusLent_ = false;
    QPointer<QWidget> gridFocusLentTo_;
    // The window's title while no progress shows in it: the session's, or the program's name.
    QString restingTitle_ = QStringLiteral("Tarvo Manager");

    // Zip jobs and the archive viewer (main_window_zip.cpp).
    void connectZipCommands();
    void Zip1Click();
    void UnZip1Click();
    void Zipview1Click();
    // The file under the active local panel's current row, while the panels are idle.
    const tarvo::listing::SearchRecord* currentArchiveCandidate();
    void viewerUnpack(TOKRightDlg1234& viewer, PanelSide side);
    // Asks where to unpack the archive (the viewer's marks of it, if a selection is given) and
    // starts the job; listed: the archive as a viewer listed it, the only one it may unpack.
    void promptUnpack(PanelSide side, const std::string& archive,
                      std::optional<std::vector<int>> selection, TOKRightDlg1234* viewer,
                      std::optional<tarvo::zip::FileStamp> listed = std::nullopt);
    bool zipBusy(PanelSide side) const;
    void startZipJob(ZipJob job, TOKRightDlg1234* viewer = nullptr);
    void cancelZipPacking(); // the cancel's step for the zip jobs
    void stopZipJobs();      // the close's
    // ZipJobHost
    std::string translate(const std::string& key) override { return Translate(key); }
    void setZipState(int state) override;
    void showZipStatus(std::string text) override;
    void packedRow(PanelSide side, const ZipPackItem& item) override;
    void unpackedEntry(int index) override;
    void rereadPanels() override;
    bool postPanelRefresh() override;
    void beep() override;
    void zipJobEnded() override;
    std::array<std::unique_ptr<ZipThread>, 2> ZipWorkers; // the panels' jobs, [panel number - 1]
    QPointer<TOKRightDlg1234> zipViewer_;                 // the viewer whose marks a job takes
    std::unique_ptr<CoalescedText> zipStatus_;            // Label18 while a zip job runs

    // Console: a command that failed unexpectedly is logged there and on stderr, and the
    // panels it had locked are enabled again. Any thread.
    void reportCommandFailure(int code, const std::string& reason);

    // Navigation: drives, the header strip, history, favourites and special folders.
    void connectNavigationCommands();
    void connectHeaderStrip(PanelSide side);
    void connectNavigatorMenu();
    void startDriveWatch();
    void stopDriveWatch();
    void mountTableChanged();
    void ReadDriveLetters();
    void FillDriveCombos(std::vector<Drive> table);
    void SyncDriveCombos();
    void syncDriveBox(PanelSide side);
    QComboBox* driveBox(PanelSide side);
    void driveBoxClick(PanelSide side); // ComboBox4Click / ComboBox5Click
    void Disk1Click();
    void rootButtonClick(PanelSide side);
    void refreshButtonClick(PanelSide side);
    void odwie1Click(); // refresh the active panel
    void refreshBothPanels();
    void refreshPanels(std::array<bool, 2> wanted); // [panel number - 1]
    void maskBoxEnter(PanelSide side);
    void postFolderRead(PanelSide side, const std::string& path, const std::string& mask,
                        bool recordVisit);
    void postPending();
    bool sessionShownIn(PanelSide side) const;
    std::string locationEntry(PanelSide side) const;
    std::string currentLocation() const;
    struct HistoryItem {
        std::string line;
        std::string caption;
    };
    std::vector<HistoryItem> historyItems() const;
    void BuildHistoryMenu();
    void History1Click();
    void Back1Click();
    void Forward1Click();
    // Back and Forward walk the history without recording the visit.
    void FavoriteItemClick(const std::string& line, bool recordVisit = true);
    void refuseLocation(const std::string& text);
    void AddtoFavorites1Click();
    void OrganizeFavorites1Click();
    void favoritesButtonClick(PanelSide side); // SpeedButton28Click / SpeedButton29Click
    void favoritesUpdated();
    void specialFolderClick(int id);
    // The FTP session's part (main_window_navigation_ftp.cpp).
    std::string sessionFolder() const;
    RowOrigin sessionOrigin() const;
    std::optional<std::string> sessionSite() const;
    std::vector<std::string> knownSites() const;
    std::optional<std::string> siteHost(const std::string& site) const;
    void openRemoteLocation(const LocationEntry& entry, bool recordVisit);
    void filterRemotePanel(PanelSide side, const std::string& mask);
    void dropRemoteSession();

    // Window, tray, shell tools, help and the About box.
    void connectPeripheryCommands();
    void connectTray();
    void connectShellTools();
    void connectHelpCommands();
    void enableTool(std::initializer_list<const char*> controls, bool available);
    void enablePropertiesForPanel();     // by what the active panel shows
    void Minimalizyjdozasobnika1Click(); // hide in the tray
    void TrayIcon1Click();               // back from the tray
    void Jzyk1Click();                   // the language dialog
    void About1Click();
    void DOS1Click(); // a terminal in the active panel's folder
    void DefaultEdit1Click();
    void Print1Click();
    void waciwoci1Click(); // properties
    void ShareCurrentDirectory1Click();
    void networkDriveClick(const char* item, bool disconnect);
    // The active panel's selected file, when it is a local file row and the panels are idle.
    std::optional<std::string> selectedLocalFile();
    // The active panel's selected entry as a local path, folder brackets removed; none while
    // the panel shows the FTP session or a command runs.
    std::optional<std::string> selectedLocalEntry();
    void reportToolFailure(const std::string& text);

    // FTP client (main_window_ftp.cpp, main_window_sites.cpp, main_window_console.cpp).
    void connectFtpCommands();
    void connectSiteCommands();
    void connectConsoleCommands();
    // Whether a view still belongs in the panel: an FTP listing only while the panel shows
    // that connection, a local one only while it shows no FTP session.
    bool viewIsCurrent(PanelSide side, const PanelView& view) const;
    void postConnect();
    void askPassword();
    void SpeedButton1Click();
    void ComboBox1Change(const QString& text);
    void usu2Click();
    void showSite(const SiteRecord& site);
    bool Filtry1Click();
    void Memo1Change(int blocks);

    // FTP dialogs (main_window_ftp_dialogs.cpp): the site settings, the permissions of remote
    // entries and the command window.
    void connectFtpDialogCommands();
    void SpeedButton3Click(); // the current site's settings
    void noweedycja1Click();  // a new site's settings
    void openSiteSettings(const SiteSettings& settings);
    bool applySiteSettings(SiteSettings& settings);
    void openChmodDialog();
    bool postChmod(unsigned bits);
    void FTPCommand1Click();
    bool postRawCommand(const std::string& command, QPointer<TOKRightDlg12345> window);

    int SelectedAttr = 0;
    int SelectedMode = 0;
    int ActiveRow = 0;
    bool StandardIcons = false; // icon mode: image list by extension, or the desktop's icons

    UiBridge bridge;

    std::string SelectedName; // the entry under the active panel's current row
    std::uint64_t SelectedSize = 0;
    // 1 while a network command waits for the server or an archive job runs, -1 when that has
    // just ended, 0 idle: the progress timer animates the strip and then clears it.
    std::atomic<int> ServerWaitState{0};
    bool LeftBriefView = false;
    bool RightBriefView = false;
    std::atomic<int> ZipState{0}; // as ServerWaitState, for the archive jobs
    std::string ArchivePath;      // the archive the last zip command writes or reads
    std::string UnpackFolder;     // where the last unpack puts the entries, ending in "/"

    // Controls, under the names the rest of the program knows them by.
    QWidget* Panel5 = nullptr; // left panel container
    QWidget* Panel2 = nullptr; // right panel container
    QToolButton* butConnect = nullptr;
    QComboBox* ComboBox1 = nullptr;       // saved sites
    QToolButton* SpeedButton24 = nullptr; // cancel
    PanelWidgets LeftPanel;
    PanelWidgets RightPanel;
    PanelGrid* StringGrid2 = nullptr;
    PanelGrid* StringGrid1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QComboBox* ComboBox5 = nullptr;

    QWidget* Panel1 = nullptr; // command toolbar
    QToolButton* SpeedButton12 = nullptr;
    QToolButton* SpeedButton13 = nullptr;
    QToolButton* SpeedButton11 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QToolButton* butGetFile = nullptr;
    QToolButton* butSetFile = nullptr;

    QWidget* Panel3 = nullptr; // FTP connection bar
    QLineEdit* Edit2 = nullptr;
    QLineEdit* eSrvName = nullptr;
    QLineEdit* eSrvPort = nullptr;
    QLineEdit* eUserName = nullptr;
    QLineEdit* eUserPasswd = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton3 = nullptr;

    QWidget* Panel10 = nullptr; // console
    QPlainTextEdit* Memo1 = nullptr;

    QProgressBar* Image3 = nullptr; // progress strip
    QLabel* Label10 = nullptr;      // progress text
    QLabel* Label15 = nullptr;      // speed
    QLabel* Label18 = nullptr;      // file being handled
    QTimer* Timer2 = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QWidget* Panel13 = nullptr; // second toolbar

    std::unique_ptr<MessageService> messages_;
    LanguageTable language_;
    PanelIcons icons_;
    std::unique_ptr<Engine> engine_; // before the panels, which show its explorers
    std::unique_ptr<PanelController> leftPanel_;
    std::unique_ptr<PanelController> rightPanel_;
    // Opening files: a file the desktop cannot open is named in a message box.
    DesktopOpener desktop_{[this](const std::string& path, const std::string& reason) {
        messages().show({"Tarvo Manager", "Could not open \"" + path + "\".\n\n" + reason,
                         MessageButton::Ok, MessageIcon::Information});
    }};
    bool closed_ = false;

    // Settings, start-up and close.
    std::optional<TXMLTarvoManagerType> SettingsDoc; // the document the close saves into
    bool formCreated_ = false;
    bool FirstShowPending = true;
    std::unique_ptr<TerminationSignals> terminationSignals_;

    // Navigation.
    std::vector<Drive> DriveLetters;  // the drives the boxes list, in their order
    std::vector<MountRecord> mounts_; // the mount table DriveLetters was built from
    std::unique_ptr<MountWatcher> mountWatcher_;
    std::atomic<bool> mountChangePosted_{false};
    std::array<bool, 2> driveLost_{};       // [panel number - 1]: its file system went away
    QComboBox* steppingDriveBox_ = nullptr; // focused by Select Drive, until the focus leaves
    QObject* driveKeys_ = nullptr;          // the drive boxes' key filter
    std::array<bool, 2> pendingRefresh_{};  // [panel number - 1]
    QTimer* pendingPostTimer_ = nullptr;
    QMenu* Navigator1 = nullptr;
    QMenu* MenuHistoryLeft = nullptr;
    QMenu* PopupMenu3 = nullptr;
    std::vector<QAction*> favoriteActions_; // the favourites block of Navigator1

    // The commands that depend on the active panel and the FTP session.
    void UpdateMenusForPanel(int panelNumber);
    void holdCommand(QObject* command, bool hold);
    std::set<QObject*> heldCommands_; // disabled here, enabled again when released

    // The status strip while the FTP session waits for the server.
    void ShowWaitingForServer(bool waiting);
    void sessionWaitsEnded(); // the session was closed

    // Window, tray, shell tools, help and the About box.
    std::unique_ptr<WindowSwitchKey> windowSwitchKey_;
    DesktopTools* tools_ = nullptr;
    QMenu* PopupMenu1 = nullptr; // the tray's menu
    bool activatedBefore_ = false;
};
