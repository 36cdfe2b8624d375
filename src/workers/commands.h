#pragma once

#include "frontend/connect_fields.h"
#include "frontend/job.h"
#include "frontend/job_queue.h"
#include "frontend/row_origin.h"
#include "workers/command_codes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// One type per command of the workers, holding only what that command works on, copied from
// the window when it is posted: the worker never reads the window's fields, which the GUI
// thread keeps changing. Each type's `id` is its command code, which the logs show. A long
// command (a job the panels wait for) says so with `isLong`. A command built from a panel's rows
// carries their RowOrigin and acts on full paths built from it.

// The panels are numbered 2 for the left and 1 for the right one.

// What a job works on: its own stop source and progress, and its entries.
struct JobWork {
    std::shared_ptr<Job> job;
    std::shared_ptr<const JobQueue> queue;
};

namespace cmd {

// --- the remote worker ---

struct Connect {
    static constexpr int id = cmdConnect;
    int panel = 2;
    ConnectFields fields;
};

struct ChangeDir { // enters the selected remote entry
    static constexpr int id = cmdChangeDir;
    RowOrigin origin;
    std::string path; // the entry's full path on the server
    int attributes = 0;
    std::uint64_t size = 0;
};

struct Download {
    static constexpr int id = cmdDownload;
    static constexpr bool isLong = true;
    RowOrigin origin; // the FTP panel's rows
    RowOrigin target; // the local panel the files go to
    JobWork work;
};

struct Upload {
    static constexpr int id = cmdUpload;
    static constexpr bool isLong = true;
    RowOrigin origin; // the local panel's rows
    RowOrigin target; // the FTP panel's folder the files go to
    JobWork work;
};

struct OpenEntry { // opens the selected entry of a local panel
    static constexpr int id = cmdOpenEntry;
    RowOrigin origin;
    std::string path; // the entry's full path
    int attributes = 0;
};

// The session's up, root and refresh: they go from wherever the session is when they run, in the
// connection they were given in.
struct RemoteUp {
    static constexpr int id = cmdRemoteUp;
    RowOrigin origin;
};

struct RemoteRoot {
    static constexpr int id = cmdRemoteRoot;
    RowOrigin origin;
};

struct Delete { // the marked entries of a local panel or of the FTP panel
    static constexpr int id = cmdDelete;
    static constexpr bool isLong = true;
    RowOrigin origin;
    JobWork work;
};

struct Chmod {
    static constexpr int id = cmdChmod;
    static constexpr bool isLong = true;
    RowOrigin origin; // the FTP panel's rows
    unsigned mode = 0;
    JobWork work;
};

struct RemoteTree {
    static constexpr int id = cmdRemoteTree;
};

struct Rename {
    static constexpr int id = cmdRename;
    RowOrigin origin;
    std::string name;
    std::string newName;
};

struct RefreshRemote {
    static constexpr int id = cmdRefreshRemote;
    RowOrigin origin;
};

struct SaveAs {
    static constexpr int id = cmdSaveAs;
    static constexpr bool isLong = true;
    RowOrigin origin;
    std::string newName; // the local file's name; its folder is the job's target
    JobWork work;
};

struct EditRemote {
    static constexpr int id = cmdEditRemote;
    static constexpr bool isLong = true;
    RowOrigin origin;
    std::string site; // for the local copy's name
    JobWork work;
};

struct RawCommand {
    static constexpr int id = cmdRawCommand;
    std::string command;
    std::function<void(std::string)> log; // called on the worker for every line
};

struct RefreshPanels { // re-reads the local panels
    static constexpr int id = cmdRefreshPanels;
    int panel = 0; // the one panel to read again; 0 reads both
};

struct GoToSpecialFolder {
    static constexpr int id = cmdGoToSpecialFolder;
    int panel = 2;
    int folder = 0; // SpecialFolderId
};

struct ReadFolder { // a folder into a local panel
    static constexpr int id = cmdReadFolder;
    int panel = 2;
    std::string path;
    std::string mask = "*.*";
    bool recordVisit = false; // the folder goes into the panel's history once read
};

struct OpenRemoteFolder { // a saved folder of the connected site
    static constexpr int id = cmdOpenRemoteFolder;
    RowOrigin origin; // the session it was given in
    std::string path;
    bool recordVisit = false;
};

struct RemoteMkDir {
    static constexpr int id = cmdRemoteMkDir;
    RowOrigin origin; // the folder the new one goes into
    std::string name;
};

// --- the local worker ---

struct LocalUp {
    static constexpr int id = cmdLocalUp;
    RowOrigin origin;
};

struct LocalCopy { // copies or moves the marked entries to the other panel
    static constexpr int id = cmdLocalCopy;
    static constexpr bool isLong = true;
    RowOrigin origin;
    RowOrigin target;
    JobWork work;
};

struct LocalTree { // writes the other panel's tree into the console
    static constexpr int id = cmdLocalTree;
    int panel = 2;
};

// A single entry changes on the local worker too: a dead mount then blocks the worker, never
// the window.

struct LocalMkDir {
    static constexpr int id = cmdLocalMkDir;
    RowOrigin origin; // the panel's folder when the user asked
    std::string name;
};

struct LocalRename {
    static constexpr int id = cmdLocalRename;
    RowOrigin origin;
    std::string name;
    std::string newName;
};

struct LocalAttributes {
    static constexpr int id = cmdLocalAttributes;
    RowOrigin origin;
    bool readOnly = false; // what the marked entries become
    std::shared_ptr<const JobQueue> entries;
};

struct LocalDrop { // files dropped from other programs
    static constexpr int id = cmdLocalDrop;
    static constexpr bool isLong = true;
    RowOrigin target; // the local panel they are dropped on
    JobWork work;
};

} // namespace cmd
