#pragma once

#include "frontend/connect_fields.h"
#include "frontend/frontend.h"
#include "ftp/reply_log.h"
#include "local/listing/search_record.h"
#include "platform/ftp/ftp_session.h"
#include "platform/timed_mutex.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class DownloadFile;
class IOFile;
class NameMask;
class LanguageTable;
class LocalExplorer;
class RemoteWalkBound;

// The one FTP session of the program: the connection, the current remote folder and its
// listing, which one panel shows while connected. Every call that talks to the server blocks
// and runs on the remote worker; the screen thread only disconnects, sorts the listing and asks
// what state the session is in. What the user sees goes through the Frontend: panel views,
// console lines, boxes and questions.
//
// A disconnect may come from the screen while the worker is inside a command. It wakes that
// command (whose calls then fail as cancelled), takes the panel back at once and leaves the
// QUIT to the worker, which the window wakes for it (settle). Each connect and disconnect starts a
// new generation; views carry the generation that made them, so the screen drops whatever a command
// of an ended session still publishes.
class FTPCom {
public:
    // The time of day as console lines and the window title show it.
    using Clock = std::function<std::string()>;

    FTPCom(Frontend& frontend, const LanguageTable& texts, IOFile& sites, LocalExplorer& left,
           LocalExplorer& right, Clock clock = {});
    ~FTPCom();
    FTPCom(const FTPCom&) = delete;
    FTPCom& operator=(const FTPCom&) = delete;

    // 0 while no panel shows the remote listing, 1 the right panel, 2 the left panel.
    std::atomic<int> FtpPanel{0};
    // Sticky answers of the running batches (0 ask, 10 yes to all, 9 no to all, 2 cancelled).
    std::atomic<int> DownloadAnswer{0};
    std::atomic<int> UploadAnswer{0};
    std::atomic<int> DeleteAnswer{0};
    std::atomic<int> ChmodAnswer{0};

    // --- any thread ---
    bool connected() const { return session_.connected(); }
    std::uint64_t generation() const;
    std::string currentDir() const;
    // The site name the session was opened with, whatever the site fields read since.
    std::string siteName() const;
    std::string GetSortKey() const;
    // The listing as the panel shows it (filtered and sorted).
    std::shared_ptr<const tarvo::listing::DirectoryListing> shownListing() const;

    // Gives the panel back to its local folder and ends the connection: at once when called on
    // the remote worker, on its next pass otherwise (the running command is woken first).
    void Disconnect();
    // Wakes every call blocked on the connection and stops the running batches.
    void CancelRunning();

    void SetSortKey(const std::string& key);
    // Sorts the shown listing by the key (which becomes the session's sort key); clearMarks
    // clears the panel's marks. No network traffic. False, and nothing changed, when a listing
    // or another key came meanwhile.
    bool Sort(const std::string& key, bool clearMarks);
    // Shows the listing in the panel. A mask ("*.txt") shows only the entries of the last
    // listing whose names it takes; "*.*" shows the shown entries as they stand. The cursor goes
    // to the folder last left, or the one whose name the make-directory command stored.
    void FillGrid(const std::string& mask = "*.*");
    // The folder whose last component names the row the next fill puts the cursor on.
    void setLastFilledDir(const std::string& folder);

    // --- remote worker ---
    // Opens the connection into the panel (1 right, 2 left): 1 when connected, -2 or less not.
    int Connect(const ConnectFields& fields, int panel);
    // Finishes a disconnect asked for from another thread: QUIT, close, the panel's local
    // folder read again. Called on every worker pass; cheap when nothing is due.
    void settle();
    // Reads the current folder's listing: 0 when listed, -2 or an error result when not.
    int List();
    // Enters a folder by its full path, or ".." for the parent of the session's folder (a file
    // of size 0 is tried as a folder, for links): 16 after a folder entry, 32 after a file
    // entry, -1 without a connection.
    int ChangeDir(const std::string& path, int attributes, std::uint64_t size);
    // Opens a folder by its full path (a saved location of this site). Only a folder the
    // server entered changes the panel and, when recordVisit is set, goes into the history; a
    // refusal is reported and leaves everything as it was. 16 when entered, else the error
    // handler's result.
    int OpenFolder(const std::string& folder, bool recordVisit);
    // Makes a folder in the folder given; true also when the listing shows it already.
    bool MkDir(const std::string& folder, std::string name);
    // Deletes one file (0x80) or empty folder (0x10): 1 when deleted, else below 0.
    int Delete(const std::string& path, int attributes);
    // Deletes everything below the folder, links as links; returns the path without a
    // trailing separator. A tree without end (see RemoteWalkBound) is told in one box and
    // stops the deletes as a Cancel does.
    std::string DeleteDir(std::string path);
    // Renames an entry of the folder; never onto a name the folder holds. 1 when renamed;
    // otherwise the user was told, and the result is below 1.
    int Rename(const std::string& folder, const std::string& from, const std::string& to);
    void Noop();
    // Sets an entry's mode: "SITE chmod 755 /path" (a mode number with a fourth digit keeps
    // set-id and sticky bits). A refusal is shown, and its Cancel stops the batch. False when
    // the batch cannot go on: no connection, or the call failed otherwise or was cancelled.
    bool Chmod(const std::string& path, int mode);
    // Runs a command typed in a command window in the panel's folder, logging into that
    // window's log; after a change of folder the panel shows where the server is.
    void ExecuteCommand(const std::string& command, const LogSink& log);
    // Tells the user about the last failed call and decides: 0 nothing failed, -1 the server
    // refused, -2 anything else (also after a declined reconnect), or the relisting's result
    // after an accepted reconnect.
    int HandleError(const std::string& text);
    // Logs the replies of the thread's last call; returns the code of the last one (0: none).
    int LogResponse();
    // At exit, from any thread: every call on the connection fails at once from now on, so the
    // worker ends its command without waiting for the server.
    void shutdown();

    // --- transfers (remote worker) ---
    // The job whose progress the transfers write and whose stop ends them, for one batch;
    // also forgets which remote folder the upload checks listed. Null: the session's own. The
    // action word leads the status line's "word: name".
    void beginBatch(Job* job, std::string action);
    // The next download asks nothing about its target (a fresh edit copy).
    bool EditDownload = false;
    // Downloads the remote file into the local folder under the name. 1 complete, 0 resumed
    // to its end, -1 skipped or refused, -2 or less the batch stops.
    int get(const std::string& folder, const std::string& name, std::string remotePath,
            std::int64_t size);
    // Uploads the local file to the remote path: 1 complete, -1 skipped or not readable, -2
    // or less the batch stops.
    int send(std::string remotePath, const std::string& localSource);
    // Downloads everything below the remote folder into the local folder, which exists. A tree
    // without end is told in one box and stops the batch (-2).
    int GetDir(std::string remotePath, const std::string& localFolder);
    // Uploads everything below the local folder into the remote folder, which exists.
    int SendDir(std::string localFolder, const std::string& remotePath);
    // Notes a local entry an upload leaves out, as no file it can send (a link to a folder, a
    // FIFO, a socket, a device); the batch names them all in one box at its end.
    void passOver(const std::string& localPath);
    void reportPassedOver();
    // Writes the path of every file below the remote folder to the console; a tree without
    // end is told in one box.
    void Tree(std::string path);
    // Makes a local folder for a download, or takes one that is there: false (told) when the
    // name is taken by anything but a real folder, such as a link leading elsewhere.
    bool makeLocalFolder(const std::string& path);
    // Who the session is connected to ("user@host:port"); empty while no panel shows it.
    // Remote worker only.
    std::string serverIdentity() const;
    // Makes a remote folder for an upload; one that exists already is fine.
    void makeRemoteFolder(const std::string& path);
    // The overwrite question with the batch's sticky answer: 1 overwrite, -1 skip (also when
    // no answer came), -2 not connected.
    int AskOverwrite(const std::string& path, std::atomic<int>& answer);
    // A name a server or a listing gave that must not become part of a local or remote path
    // ("", ".", "..", or holding "/" or NUL): told on the console and in a box.
    bool refusedName(const std::string& name);

private:
    LocalExplorer& explorerOf(int panel) const;
    void console(const std::string& text);
    void status(const std::string& text);
    void command(const std::string& text);
    void box(const std::string& text);
    // The walks proper, `depth` levels below the folder walked.
    void deleteTree(std::string path, RemoteWalkBound& bound, int depth);
    int getTree(std::string remotePath, const std::string& localFolder, RemoteWalkBound& bound,
                int depth);
    void listTree(std::string path, RemoteWalkBound& bound, int depth);
    // Whether the folder holds an entry of that name: a rename's target must not exist.
    bool holdsEntry(const std::string& folder, const std::string& name);
    // Tells where a walk of a tree without end stopped, if it did; true then.
    bool toldEndlessTree(const RemoteWalkBound& bound);
    int ReadListing();
    // The folder the server is in names the entries from now on: read back after every change
    // of folder, whether the change worked or not, and shown.
    void readServerFolder();
    void showServerFolder();
    void recordFolder();
    void cancelBatches();
    // The last listing as the server sent it, unfiltered.
    std::shared_ptr<const tarvo::listing::DirectoryListing> fullListing() const;
    // Shows only the entries of the last listing whose names the mask takes.
    void showOnly(const NameMask& names);
    void detach(bool sendQuit);
    void closeConnection(bool sendQuit, int panel);
    int lostConnection();
    void connectionGone();
    int CheckLocalTarget(DownloadFile& file, const std::string& target);
    int CheckRemoteTarget(const std::string& remotePath);
    int GetResume(DownloadFile& file, const std::string& remotePath, std::int64_t size,
                  bool replace);
    // The size the server gives for the file (SIZE); 0 when it gives none.
    std::int64_t serverSize(const std::string& remotePath);
    // Copies the stream into the file; true on a clean end (the server's final reply too).
    // Opens a transfer's data stream while the strip shows the wait for the server.
    template <class Open> auto opened(Open open);
    // writeError: the local file's error when writing it failed.
    bool receive(tarvo::ftp::Stream& stream, DownloadFile& file, std::uint64_t offset,
                 std::int64_t size, int& writeError);
    // The box about a transfer that broke off, naming the file and why; none after a cancel.
    void transferFailed(const std::string& path, int localError);
    int transferWithoutConnection(const std::string& path);
    // The console line (the download's ends in a blank, the upload's not) and the box; its
    // Cancel stops the batch.
    void unableToOpenLocalFile(const std::string& line, const std::string& path);
    bool batchStopped(const std::atomic<int>& answer) const;
    JobProgress& progress();

    Frontend& frontend_;
    const LanguageTable& texts_;
    IOFile& sites_;
    LocalExplorer& left_;
    LocalExplorer& right_;
    Clock clock_;
    tarvo::ftp::Session session_;
    NamedMutex listMutex_{"ListMutex1"};
    NamedMutex dialogMutex_{"DialogMutex1"};

    mutable std::mutex mutex_; // guards the fields below
    std::uint64_t generation_ = 0;
    std::string currentDir_;
    // The folder all_ was listed from, which a sort shows with its rows; none before the
    // connection's first listing.
    std::optional<std::string> listedDir_;
    std::string lastFilledDir_;
    std::string host_;
    std::string siteName_;
    std::string sortKey_;
    std::shared_ptr<const tarvo::listing::DirectoryListing> all_;   // every entry of the listing
    std::shared_ptr<const tarvo::listing::DirectoryListing> shown_; // filtered and sorted
    std::string shownKey_;                                          // the key shown_ is in order of
    std::uint64_t listingGeneration_ = 0; // counts stored listings, so a stale sort is dropped
    bool closeDue_ = false;               // a disconnect waits for the worker
    bool quitDue_ = false;
    int detachedPanel_ = 0;

    // Remote worker only.
    Job* job_ = nullptr;
    Job ownJob_; // progress of a transfer outside a batch (a re-upload)
    std::string action_ = "Copying";
    std::string remoteCheckDir_;
    std::vector<std::string> remoteCheckNames_; // files of remoteCheckDir_, sorted
    std::vector<std::string> passedOver_;       // the batch's entries left out
    ConnectFields lastFields_;
    int connectingPanel_ = 0;
    int linkLost_ = 0; // -2 once a lost connection was seen: the disconnect sends no QUIT
};
