#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class FTPCom;
class Frontend;
class LanguageTable;

// A name with the characters some file systems and desktop tools cannot take (":", "?", "*",
// "<", ">", "|", "/", "\", '"') replaced by "_"; length and other bytes unchanged.
std::string MakeLocalFileName(std::string name);

// What tells one saved state of a file from another: a save within the same second, or one
// that keeps the size, still changes the nanosecond time; a save by renaming a new file over
// the old one changes the inode.
struct FileStamp {
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

std::optional<FileStamp> stampOf(const std::string& path);

// One remote file opened for editing: its private local copy, watched for saves that go back
// to the server it came from.
struct EditList {
    bool Watched = true;
    std::string RemotePath;
    std::string LocalPath;
    std::string Server;     // the session's serverIdentity() when the copy was made
    FileStamp UploadedTime; // the copy as downloaded or last uploaded
    FileStamp CurrentTime;  // the copy as the last check found it
};

// The copies opened for editing in this run. The remote worker adds and checks them; the
// window's close handler tidies them up.
class EditedCopies {
public:
    // Creates a new, empty private copy file (mode 0600, never through a link) in the folder,
    // named site + "_" + number + "_" + name, the number counting up from the run's edit
    // counter past names that are taken. Makes the folder when it is missing.
    std::optional<std::string> createCopy(const std::string& folder, const std::string& site,
                                          const std::string& name);
    void add(EditList record);
    // Uploads every watched copy that was saved since its last upload, over the session it came
    // from only. A failed upload asks "ReUploadField": Yes tries again at once.
    void check(FTPCom& session, Frontend& screen, const LanguageTable& texts);
    // At exit: deletes the copies whose current state is on the server and returns the paths
    // of those kept because their last save was never uploaded.
    std::vector<std::string> removeUploadedCopies();
    std::vector<EditList> records() const;
    // Whether any copy is watched for changes.
    bool watching() const;

private:
    int upload(FTPCom& session, const EditList& record);

    mutable std::mutex mutex_;
    std::vector<EditList> records_;
    int counter_ = 0;
};
