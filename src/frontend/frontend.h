#pragma once

#include "frontend/job.h"
#include "frontend/row_origin.h"
#include "local/listing/search_record.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class MessageService;

enum class PanelSide { Left, Right };

// The window's fields, the commands and the FTP session name a panel by number: 2 left, 1 right.
inline int panelNumber(PanelSide side) {
    return side == PanelSide::Left ? 2 : 1;
}

inline PanelSide sideOf(int panelNumber) {
    return panelNumber == 2 ? PanelSide::Left : PanelSide::Right;
}

inline PanelSide otherSide(PanelSide side) {
    return side == PanelSide::Left ? PanelSide::Right : PanelSide::Left;
}

// What a panel shows after its folder was read: the whole listing, immutable, with the lines
// under it already composed, so the screen only swaps it in.
struct PanelView {
    std::string Path;      // the folder listed
    std::string PathLabel; // what the path label shows: the folder, or ".." when unreadable
    std::shared_ptr<const tarvo::listing::DirectoryListing> Listing;
    std::string SortKey; // the key Listing is in order of, whose arrow the header shows
    std::string Totals;  // "Files 12 | Dirs 3 | Size 5120KB"
    std::string Disk;    // "Free: 10240MB Used: 50000MB "
    // The panel now shows another folder than before: its marks go, and the cursor goes to the
    // folder row named CursorFolder (the folder just left when going up), else to row 0.
    bool FolderChanged = false;
    std::string CursorFolder;
    // The cursor goes to CursorFolder (row 0 when no such folder is shown); set when the folder
    // changed, and after a folder was made.
    bool PlaceCursor = false;
    // Which FTP connection listed it; 0 for a local folder. The screen drops a view whose
    // source the panel no longer shows, such as rows of a session disconnected meanwhile.
    std::uint64_t Session = 0;
};

// What the window shows of the FTP session around its panel.
struct SessionView {
    bool Connected = false;
    PanelSide Side = PanelSide::Left; // the panel that shows the session, or showed it last
    std::string Title;                // the window title
    std::string Site;                 // the tray icon's hint while connected
};

// What the engine (panel explorers, FTP session, workers) may ask of the screen. The main window
// implements it; tests replace it with a recording fake. Every call may come from any thread:
// the implementation carries the work to the GUI thread itself, in the order of the calls.
class Frontend {
public:
    virtual ~Frontend() = default;

    virtual MessageService& messages() = 0;

    // Enables or disables both panel containers; disabled panels mean "a command is running".
    virtual void setPanelsEnabled(bool enabled) = 0;

    virtual void showPanel(PanelSide side, PanelView view) = 0;
    virtual void clearMarks(PanelSide side) = 0;

    // Opens a file with the desktop's handler for its type.
    virtual void openDocument(std::string path) = 0;
    // Opens a file in the editor the user chose for F4.
    virtual void openInEditor(std::string /*path*/) {}
    // A local folder a panel may show was changed: the local panels are read again once no
    // command holds them.
    virtual void localFoldersChanged() {}

    // Records a location the panel has just gone to in that panel's history: a local folder, or
    // a remote folder + "@" + the saved site's name. Called on the thread that changed it.
    virtual void addToHistory(PanelSide side, std::string entry) = 0;

    // File jobs. The window set up the job's display and disabled the panels when it posted the
    // job; the worker reports here as it goes and when it has ended the job (done, failed or
    // stopped), which gives the panels back. finishKind 2 ends quietly, any other beeps.
    virtual void jobEnded(const std::shared_ptr<Job>& job, int finishKind) = 0;
    // The status line's text for the entry being worked on (already shortened).
    virtual void showCurrentFile(std::string text) = 0;
    // The job is done with the entry `name` of that panel row: the row's mark goes, unless the
    // row shows another entry by now.
    virtual void unmarkRow(PanelSide side, int row, std::string name) = 0;

    // Appends one item to the FTP console; line breaks inside it make several lines.
    virtual void appendConsole(std::string text) = 0;
    // The FTP session took a panel over or gave it back.
    virtual void showSession(SessionView session) = 0;

    // A network command began (true) or ended (false) waiting for the server: the status strip
    // shows the wait meanwhile. Screens without a status strip need not show it.
    virtual void serverWait(bool /*waiting*/) {}
    // A transfer or a listing ended: the status strip shows it complete and comes to rest.
    virtual void completeProgress() {}

    // A command was not run, for that reason: the status line says why. Screens without a
    // status line need not show it.
    virtual void commandRefused(Refusal /*why*/) {}
    // A worker has run every command given to it: a refusal shown meanwhile is over.
    virtual void commandsSettled() {}
};

// Shows a wait for the server for as long as it lives, or until it is ended: a wait ends before
// the user is told how it went, so no box shows under the waiting display.
class ServerWait {
public:
    explicit ServerWait(Frontend& frontend) : frontend_(&frontend) { frontend.serverWait(true); }
    ~ServerWait() { end(); }
    ServerWait(const ServerWait&) = delete;
    ServerWait& operator=(const ServerWait&) = delete;

    void end() {
        if (frontend_ != nullptr)
            std::exchange(frontend_, nullptr)->serverWait(false);
    }

private:
    Frontend* frontend_;
};
