#pragma once

#include "app/navigation_store.h"
#include "frontend/frontend.h"
#include "ftp/edited_files.h"
#include "ftp/ftp_com.h"
#include "ftp/site_store.h"
#include "local/local_explorer.h"
#include "platform/timed_mutex.h"
#include "settings/language_table.h"
#include "workers/commands.h"
#include "workers/local_worker.h"
#include "workers/mailbox.h"
#include "workers/remote_worker.h"

#include <atomic>
#include <memory>
#include <string>

// The action words of the status line while the workers delete, copy, move, download and upload
// (followed by the file's name), in the active language.
struct OperationTexts {
    std::string DeletingText;
    std::string CopyingText;
    std::string MovingText;
    std::string DownloadingText;
    std::string UploadingText;
};

// What works below the window: both local explorers, the FTP session, the site store, the edit
// copies, the history and favourites files, and the two command workers with their mailboxes.
// It reaches the screen only through the Frontend it is given, so it runs without widgets.
class Engine {
public:
    Engine(Frontend& frontend, const LanguageTable& texts);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Starts both workers, serving the FTP session's folder commands and the tree listings; a
    // command that fails unexpectedly goes to the handler (any thread).
    void startWorkers(CommandWorker::FailureHandler onFailure);

    Mailbox& remoteCommands() { return remoteCommands_; }
    Mailbox& localCommands() { return localCommands_; }
    TMonThreadH& remoteWorker() { return *remoteWorker_; }
    TMonThreadL& localWorker() { return *localWorker_; }
    bool workersStarted() const { return remoteWorker_ != nullptr; }

    LocalExplorer& leftExplorer() { return left_; }
    LocalExplorer& rightExplorer() { return right_; }
    const LocalExplorer& leftExplorer() const { return left_; }
    const LocalExplorer& rightExplorer() const { return right_; }
    LocalExplorer& explorer(PanelSide side) { return side == PanelSide::Left ? left_ : right_; }
    FTPCom& session() { return *session_; }
    const FTPCom& session() const { return *session_; }
    // Whether the FTP session shows in that panel.
    bool sessionShownIn(PanelSide side) const { return session_->FtpPanel == panelNumber(side); }
    // The session as a command given now names it: its panel, its connection and its folder.
    RowOrigin sessionOrigin() const {
        return {session_->FtpPanel, session_->generation(), session_->currentDir()};
    }
    // The location the panel shows as its history records it: the local folder, or the remote
    // folder + "@" + the session's site.
    std::string locationEntry(PanelSide side) const;
    // Whether a view still belongs in the panel: an FTP listing only while the panel shows that
    // connection, a local one only while it shows no FTP session.
    bool viewIsCurrent(PanelSide side, const PanelView& view) const;
    IOFile& sites() { return sites_; }
    const IOFile& sites() const { return sites_; }
    EditedCopies& editedCopies() { return editedCopies_; }
    NavigationStore& navigation() { return navigation_; }
    const NavigationStore& navigation() const { return navigation_; }
    SharedLocks& locks() { return locks_; }
    // The saved folders the panels start in; the first refresh of the panels checks them.
    void setStartFolders(const std::string& left, const std::string& right);
    OperationTexts operationTexts() const;

    // Whether the panel still shows the source the command's rows came from; a command whose
    // source is gone is refused on the status line and must change nothing. Any worker.
    bool stillShown(const RowOrigin& origin);

private:
    void serveFolderCommands();
    void serveTransfers();
    void servePanelCommands();
    void serveFileJobs();
    void serveEntryChanges();
    void deleteRemoteEntries(const cmd::Delete& command);
    void editRemoteFile(const cmd::EditRemote& command);
    void showSpecialFolder(const cmd::GoToSpecialFolder& command);

    Frontend& frontend_;
    const LanguageTable& texts_;
    SharedLocks locks_;
    Mailbox remoteCommands_;
    Mailbox localCommands_;
    LocalExplorer left_;
    LocalExplorer right_;
    IOFile sites_;
    NavigationStore navigation_;
    EditedCopies editedCopies_;
    std::unique_ptr<FTPCom> session_;
    std::unique_ptr<TMonThreadH> remoteWorker_;
    std::unique_ptr<TMonThreadL> localWorker_;
    std::atomic<bool> startFoldersPending_{false};
};
