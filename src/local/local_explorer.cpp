#include "local/local_explorer.h"

#include "local/disk_space.h"
#include "local/listing/directory_reader.h"
#include "local/listing/listing_sort.h"
#include "platform/byte_total.h"
#include "platform/message_service.h"
#include "platform/name_mask.h"
#include "platform/posix/path.h"
#include "settings/language_table.h"

#include <QLocale>

#include <cerrno>
#include <system_error>

namespace listing = tarvo::listing;

namespace {

constexpr int kDirectory = 0x10;

} // namespace

LocalExplorer::LocalExplorer(Frontend& frontend, const LanguageTable& texts, PanelSide side,
                             listing::DirectoryCalls calls)
    : frontend_(frontend), texts_(texts), side_(side), calls_(std::move(calls)),
      listing_(std::make_shared<listing::DirectoryListing>()) {}

std::string LocalExplorer::GetPath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void LocalExplorer::SetPath(const std::string& path) {
    std::lock_guard lock(mutex_);
    path_ = path;
}

std::string LocalExplorer::GetSortKey() const {
    std::lock_guard lock(mutex_);
    return sortKey_;
}

void LocalExplorer::SetSortKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    sortKey_ = key;
}

std::shared_ptr<const listing::DirectoryListing> LocalExplorer::GetListing() const {
    std::lock_guard lock(mutex_);
    return listing_;
}

std::string LocalExplorer::ReadDir(const std::string& path, bool store, const std::string& mask) {
    auto fresh = std::make_shared<listing::DirectoryListing>();
    bool listed = true;
    bool incomplete = false;
    int error = 0;
    try {
        const NameMask nameMask(mask);
        listing::NameFilter filter;
        if (!nameMask.matchesEverything())
            filter = [&nameMask](std::string_view name) { return nameMask.matches(name); };
        listing::ReadResult result = listing::readDirectory(path, calls_, filter);
        listed = result.ok() || result.Partial;
        incomplete = result.Partial;
        error = result.Error;
        *fresh = std::move(result.Listing);
    } catch (const std::exception&) {
        fresh = std::make_shared<listing::DirectoryListing>();
        incomplete = true;
    }
    // A folder the user may not read is told when it is entered; a re-read of it (each
    // activation of the window brings one) stays quiet.
    const bool refused = (error == EACCES || error == EPERM) && path != GetPath();
    if (incomplete || refused) {
        std::string text = "Could not load full file list.";
        if (error != 0)
            text += "\n\n" + path + "\n" + std::generic_category().message(error);
        frontend_.messages().show({"Tarvo Manager", text, MessageButton::Ok, MessageIcon::None});
    }
    std::string totals = listingTotals(texts_, *fresh);
    const std::string shown = listed ? path : "..";
    const QCollator collator = listing::nameCollator(QLocale::system());
    std::string key = GetSortKey();
    listing::sortListing(*fresh, key, collator);
    std::unique_lock lock(mutex_);
    // A header sort may have changed the key while this read ran: the lists must come out in
    // the order the header shows, so they are sorted again by the new key.
    while (sortKey_ != key) {
        key = sortKey_;
        lock.unlock();
        listing::sortListing(*fresh, key, collator);
        lock.lock();
    }
    listing_ = std::move(fresh);
    listedPath_ = path;
    listingKey_ = key;
    totals_ = std::move(totals);
    pathLabel_ = shown;
    ++generation_;
    if (store)
        path_ = path;
    lock.unlock();

    // Measured here, on the reading thread: a stalled file system must not stall the screen.
    std::string free = GetDiskSpace("DiskFree");
    std::string used = GetDiskSpace("DiskSize");
    lock.lock();
    diskFree_ = std::move(free);
    diskUsed_ = std::move(used);
    return shown;
}

void LocalExplorer::FillGrid() {
    PanelView view;
    std::lock_guard lock(mutex_);
    view.Path = listedPath_;
    view.PathLabel = pathLabel_;
    view.Listing = listing_;
    view.SortKey = listingKey_;
    view.Totals = totals_;
    view.Disk = diskLine(diskFree_, diskUsed_);
    view.FolderChanged = lastShownPath_ != listedPath_;
    if (view.FolderChanged)
        view.CursorFolder = nameOf(lastShownPath_);
    else if (cursorTarget_)
        view.CursorFolder = *cursorTarget_;
    view.PlaceCursor = view.FolderChanged || cursorTarget_.has_value();
    cursorTarget_.reset();
    lastShownPath_ = listedPath_;
    // Posted under the lock: the worker's fill and a header sort's fill on the GUI thread then
    // reach the screen in the order they took their lists, so the last one shown is the newest.
    frontend_.showPanel(side_, std::move(view));
}

void LocalExplorer::SetCursorTarget(const std::string& name) {
    std::lock_guard lock(mutex_);
    cursorTarget_ = name;
}

bool LocalExplorer::Sort(const std::string& key, bool clearMarks) {
    std::shared_ptr<const listing::DirectoryListing> current;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        sortKey_ = key;
        current = listing_;
        generation = generation_;
    }
    auto sorted = std::make_shared<listing::DirectoryListing>(*current);
    listing::sortListing(*sorted, key, listing::nameCollator(QLocale::system()));
    {
        std::lock_guard lock(mutex_);
        // A folder read meanwhile is newer and was sorted by the key in force; a newer key
        // brings its own sort.
        if (generation_ != generation || sortKey_ != key)
            return false;
        listing_ = std::move(sorted);
        listingKey_ = key;
        ++generation_;
    }
    if (clearMarks)
        frontend_.clearMarks(side_);
    return true;
}

int LocalExplorer::Open(const std::string& path, int attributes) {
    if ((attributes & kDirectory) == 0) {
        frontend_.openDocument(path);
        return 32;
    }
    ReadDir(path, true);
    FillGrid();
    frontend_.addToHistory(side_, GetPath());
    return 16;
}

std::string LocalExplorer::GoUp() {
    if (const std::string folder = GetPath(); folder.size() > 1)
        Open(folderOf(folder), kDirectory);
    return GetPath();
}

std::string LocalExplorer::GetDiskSpace(const std::string& key) const {
    const DiskSpace space = diskSpaceOf(GetPath());
    const bool measured = space.Used >= 0 && space.Free >= 0;
    constexpr std::int64_t kMiB = 1048576;
    if (key == "DiskSize")
        return std::to_string(measured ? space.Used / kMiB : 0) + "MB ";
    if (key == "DiskFree")
        return std::to_string(measured ? space.Free / kMiB : 0) + "MB ";
    return {};
}

std::string listingTotals(const LanguageTable& texts, const listing::DirectoryListing& listing) {
    std::uint64_t bytes = 0;
    for (const listing::SearchRecord& file : listing.Files)
        bytes = addBytes(bytes, file.Size);
    return texts.translate("Files") + " " + std::to_string(listing.Files.size()) + " | " +
           texts.translate("Dirs") + " " + std::to_string(listing.Dirs.size()) + " | " +
           texts.translate("Size") + " " + std::to_string(bytes / 1024) + "KB";
}

std::string LocalExplorer::diskLine(const std::string& free, const std::string& used) const {
    return texts_.translate("Free") + ": " + free + texts_.translate("Used") + ": " + used;
}

std::string LocalExplorer::DiskLine() const {
    std::lock_guard lock(mutex_);
    return diskLine(diskFree_, diskUsed_);
}
