#pragma once

#include "frontend/frontend.h"
#include "frontend/job_queue.h"
#include "frontend/panel_source.h"
#include "local/fileops/data_path.h"
#include "local/listing/directory_reader.h"
#include "local/listing/search_record.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class LanguageTable;

// The model of one local panel: its folder, the folder's entries in the order the panel shows
// them, the sort key, and what the screen shows of them. Reading runs on a worker; the screen
// receives immutable listings through the Frontend.
class LocalExplorer final : public PanelSource {
public:
    // Folders are read with calls, the system's unless a test makes them fail.
    LocalExplorer(Frontend& frontend, const LanguageTable& texts, PanelSide side,
                  tarvo::listing::DirectoryCalls calls = {});

    PanelSide side() const { return side_; }

    // Reads the entries of the folder at path that match mask (see NameMask) into the lists,
    // sorted by the sort key (the key in force when the lists are stored, also when a sort
    // changed it during the read); with store set the folder becomes the panel's path, also
    // when it cannot be listed, so that going up still works. Returns what the path label
    // shows: the folder (also when no entry matches), or ".." when it cannot be listed.
    // A read that fails part-way keeps the entries read and tells the user.
    std::string ReadDir(const std::string& path, bool store, const std::string& mask = "*.*");

    // Shows the lists in the panel, with the path label and the totals and disk lines of the
    // last read; when the panel now shows another folder, the cursor goes to the folder just
    // left (or the first row). No file system access: a refill after a header sort runs on the
    // panel's sort thread. Any thread.
    void FillGrid() override;

    // Sorts the lists by key (which also becomes the panel's sort key); with clearMarks the
    // panel's marks go, since they belong to rows and would land on other entries. False, and
    // nothing changed, when a folder read or another key came meanwhile. Any thread.
    bool Sort(const std::string& key, bool clearMarks) override;

    // Opens an entry by its full path: a folder (attributes with 0x10) becomes the panel's
    // folder and goes into its history, also when it did not change; a file is handed to the
    // desktop. Returns 16 for a folder, 32 for a file.
    int Open(const std::string& path, int attributes);

    // Goes to the parent folder unless the panel shows the root; returns the path after it.
    std::string GoUp();

    // "DiskFree" or "DiskSize" (used space) of the panel's file system, in whole MiB + "MB ".
    std::string GetDiskSpace(const std::string& key) const;

    // The disk line of the last read in the texts now in force (after a language change), from
    // the figures measured then: no file system access.
    std::string DiskLine() const;

    std::string GetPath() const override;
    void SetPath(const std::string& path);
    std::string GetSortKey() const;
    void SetSortKey(const std::string& key) override;
    std::shared_ptr<const tarvo::listing::DirectoryListing> GetListing() const;

    // File operations (local_explorer_fileops.cpp), run by the workers. A name is an entry of
    // the folder given, the one the panel showed when the user gave the command.

    // Makes the folder `name` (which may name a deeper place); true when it was made. A folder
    // that is there already is no failure; another failure shows "DirectoryNotCreated".
    bool MkDir(const std::string& folder, const std::string& name);
    // Renames an entry; never replaces another one. True on success; no message.
    bool Rename(const std::string& folder, const std::string& from, const std::string& to);
    // Read-only on or off; true on success.
    bool SetReadOnly(const std::string& folder, const std::string& name, bool readOnly);
    // Copies or moves the job's entries, each from its folder into its target folder, asking
    // before an existing file is replaced; a row the job is done with loses its mark.
    void CopyMoveItems(const JobQueue& queue, Job& job);
    // Deletes the job's entries, folders with all they hold; an entry whose kind is no longer
    // the listed one is left alone.
    void DeleteItems(const JobQueue& queue, Job& job);
    // Writes the path of every file below the folder to the console, depth first, links
    // never followed.
    void Tree(const std::string& folder);
    // The next fill of the same folder puts the cursor on the folder of that name (the first row
    // when there is none), as after making a folder.
    void SetCursorTarget(const std::string& name);
    // The way the bytes of copies travel; tests put in one that fails.
    void SetDataPath(tarvo::fileops::DataPath& path) { dataPath_ = &path; }

    LocalExplorer* OtherPanel = nullptr; // set once both panels exist

private:
    std::string diskLine(const std::string& free, const std::string& used) const;

    Frontend& frontend_;
    const LanguageTable& texts_;
    const PanelSide side_;
    const tarvo::listing::DirectoryCalls calls_;

    mutable std::mutex mutex_; // guards the fields below; never held while reading a folder
    std::string path_;
    std::string listedPath_; // the folder listing_ was read from: a sort shows it with its rows
    std::string pathLabel_;  // what the path label shows, as of the last read
    std::string lastShownPath_;
    std::string sortKey_;
    std::shared_ptr<const tarvo::listing::DirectoryListing> listing_;
    std::string listingKey_; // the key listing_ is in order of
    std::string totals_;     // the lines under the panel, as of the last read
    std::string diskFree_;   // the disk line's figures, as of the last read
    std::string diskUsed_;
    std::uint64_t generation_ = 0; // counts stored listings, so a stale sort is dropped
    std::optional<std::string> cursorTarget_;
    tarvo::fileops::DataPath* dataPath_ = &tarvo::fileops::kernelDataPath();
};

// The totals line under a panel: "Files 12 | Dirs 3 | Size 5120KB" (the file sizes' sum in
// whole KiB, stopping at the largest 64-bit value).
std::string listingTotals(const LanguageTable& texts,
                          const tarvo::listing::DirectoryListing& listing);
