#pragma once

#include "frontend/frontend.h"
#include "local/zip/zip_api.h"

#include <optional>
#include <string>
#include <vector>

class MessageService;

// A marked panel row a pack works on, taken from the panel's listing when the job is posted.
// Its kind is not taken: the pack asks the file system (lstat) when it walks, since the listing
// shows a link to a folder as a folder, and a link is never followed.
struct ZipPackItem {
    std::string Name; // as the file system gives it, no path
    int Row = -1;     // the panel row it came from
};

// What a zip job works on, copied when it is posted: its thread never reads the screen.
struct ZipJob {
    enum class Kind { Pack, Unpack };
    Kind JobKind = Kind::Pack;
    PanelSide Side = PanelSide::Left;
    std::string Folder;             // the panel's folder
    std::vector<ZipPackItem> Items; // a pack's marked rows, in row order
    // An unpack of the entries marked in an archive viewer (entry indices, ascending); none
    // unpacks the whole archive.
    std::optional<std::vector<int>> Selection;
    // The archive as a viewer listed it: an unpack from the viewer takes only that archive, so
    // that the entries written are the ones the user saw (and marked by their index).
    std::optional<tarvo::zip::FileStamp> ListedArchive;
    std::string ArchivePath;  // absolute
    std::string UnpackFolder; // absolute, ending in "/"
    unsigned Threads = 0;     // compressing threads of a pack; 0 is one per core
};

// What a zip job asks of the screen, or of a program standing in for it. Every call comes from
// the job's thread.
class ZipJobHost {
public:
    virtual ~ZipJobHost() = default;

    virtual MessageService& messages() = 0;
    virtual std::string translate(const std::string& key) = 0;
    // ZipState: 1 while the job works, -1 while it waits for an answer and when it has ended.
    virtual void setZipState(int state) = 0;
    // The status line: the entry being handled.
    virtual void showZipStatus(std::string text) = 0;
    // A pack is done with the panel's row (packed, failed or left out): its mark goes.
    virtual void packedRow(PanelSide side, const ZipPackItem& item) = 0;
    // An unpack of viewer marks has taken the entry: the viewer's mark of it goes.
    virtual void unpackedEntry(int index) = 0;
    // Re-reads both local panels on the calling thread.
    virtual void rereadPanels() = 0;
    // Asks the remote worker to re-read both local panels; false when it is busy.
    virtual bool postPanelRefresh() = 0;
    virtual void beep() = 0;
    // The job has ended: the cancel button goes and the panels are given back.
    virtual void zipJobEnded() = 0;
};
