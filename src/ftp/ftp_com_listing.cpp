// The FTP session's listing: LIST into panel records, the raw copy in "temp", the sort and
// what the panel is shown.
#include "ftp/ftp_com.h"

#include "ftp/remote_listing.h"
#include "local/listing/listing_sort.h"
#include "local/local_explorer.h"
#include "platform/message_service.h"
#include "platform/name_mask.h"
#include "platform/posix/path.h"
#include "platform/posix/unique_fd.h"
#include "platform/program_folder.h"
#include "settings/language_table.h"

#include <QLocale>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace listing = tarvo::listing;

namespace {

constexpr std::chrono::milliseconds kListWait{5000};
constexpr std::size_t kLongestFirstLine = 4096;

// The raw reply of the last listing, kept in "temp" in the program folder for the properties
// command. Written while the reply arrives into a temporary file that replaces "temp" once the
// listing ends, so "temp" always holds one whole reply.
class ListingCopy {
public:
    explicit ListingCopy(std::string path) : path_(std::move(path)), temporary_(path_ + ".XXXXXX") {
        fd_.reset(::mkostemp(temporary_.data(), O_CLOEXEC));
    }
    ~ListingCopy() {
        if (fd_.valid()) {
            fd_.reset();
            ::unlink(temporary_.c_str());
        }
    }
    ListingCopy(const ListingCopy&) = delete;
    ListingCopy& operator=(const ListingCopy&) = delete;

    bool opened() const { return fd_.valid(); }

    void append(std::string_view bytes) {
        while (fd_.valid() && !failed_ && !bytes.empty()) {
            const ssize_t written = ::write(fd_.get(), bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                failed_ = true;
            else
                bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // Puts the copy in place; a copy that could not be written whole leaves the old one.
    void finish() {
        if (!fd_.valid())
            return;
        const bool closed = fd_.close();
        if (failed_ || !closed ||
            (!exchangedWithOld() && std::rename(temporary_.c_str(), path_.c_str()) != 0))
            ::unlink(temporary_.c_str());
    }

private:
    // Swaps the copy with an old one in one step and removes the old one. Renaming a file over
    // another makes ext4 start writing the new one out at once, which held the listing up for
    // several milliseconds at 100,000 entries; an exchange and an unlink do not. Anything but an
    // old regular file (none yet, a folder) is left to the rename.
    bool exchangedWithOld() {
        struct stat old {};
        if (::lstat(path_.c_str(), &old) != 0 || !S_ISREG(old.st_mode) ||
            ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) !=
                0)
            return false;
        ::unlink(temporary_.c_str());
        return true;
    }

    std::string path_;
    std::string temporary_;
    tarvo::UniqueFd fd_;
    bool failed_ = false;
};

// The listing's first line in lower case, as far as it came.
std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::shared_ptr<listing::DirectoryListing> sortedCopy(const listing::DirectoryListing& source,
                                                      const std::string& key) {
    auto sorted = std::make_shared<listing::DirectoryListing>(source);
    sortRemoteListing(*sorted, key, listing::nameCollator(QLocale::system()));
    return sorted;
}

} // namespace

std::shared_ptr<const listing::DirectoryListing> FTPCom::shownListing() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::shared_ptr<const listing::DirectoryListing> FTPCom::fullListing() const {
    std::lock_guard lock(mutex_);
    return all_;
}

void FTPCom::setLastFilledDir(const std::string& folder) {
    std::lock_guard lock(mutex_);
    lastFilledDir_ = folder;
}

int FTPCom::List() {
    const TimedLock lock(listMutex_, kListWait);
    if (!lock)
        return -2;
    return ReadListing();
}

int FTPCom::ReadListing() {
    // The server's folder the LIST lists: the rows name it whatever folder comes after.
    const std::string folder = currentDir();
    command("LIST");
    ListingCopy copy(joinPath(programFolder(), "temp"));
    if (!copy.opened())
        command("Unable to open local file ");
    std::string firstLine;
    bool firstLineDone = false;
    const std::string key = GetSortKey();
    RemoteListingBuilder fresh(key, listing::nameCollator(QLocale::system()));
    tarvo::ftp::ListingSink sink;
    sink.raw = [&](std::string_view bytes) {
        copy.append(bytes);
        if (firstLineDone)
            return;
        const auto end = bytes.find_first_of("\r\n");
        firstLine.append(bytes.substr(0, std::min(end, kLongestFirstLine - firstLine.size())));
        firstLineDone = end != std::string_view::npos || firstLine.size() >= kLongestFirstLine;
    };
    sink.entries = [&](std::vector<tarvo::ftp::RemoteEntry>& entries, std::size_t expected) {
        fresh.add(entries, expected);
    };
    ServerWait wait(frontend_);
    const auto listed = session_.find("", sink);
    wait.end();
    copy.finish();
    if (!listed)
        return HandleError(" ");
    frontend_.completeProgress();
    LogResponse();
    // Some servers answer a LIST they cannot serve with an error text on the data connection.
    if (const std::string first = lowered(firstLine); first.rfind("ftp", 0) == 0) {
        frontend_.messages().show(
            {"Tarvo Manager", first, MessageButton::Ok, MessageIcon::Information});
        ChangeDir("..", listing::Directory, 0);
        return -2;
    }
    if (listed->unreadableLines > 0)
        frontend_.messages().show({"Tarvo Manager", texts_.translate("ListField"),
                                   MessageButton::Ok, MessageIcon::Information});
    auto sorted = std::make_shared<listing::DirectoryListing>(std::move(fresh).sorted());
    // A header sort during the listing changed the key it was prepared for.
    const std::string now = GetSortKey();
    if (now != key)
        sorted = sortedCopy(*sorted, now);
    std::lock_guard lock(mutex_);
    // The filter and the name checks need every entry, in no particular order.
    all_ = sorted;
    shown_ = std::move(sorted);
    shownKey_ = now;
    listedDir_ = folder;
    ++listingGeneration_;
    return 0;
}

void FTPCom::SetSortKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    sortKey_ = key;
}

bool FTPCom::Sort(const std::string& key, bool clearMarks) {
    std::shared_ptr<const listing::DirectoryListing> current;
    std::uint64_t stored = 0;
    {
        std::lock_guard lock(mutex_);
        sortKey_ = key;
        current = shown_;
        stored = listingGeneration_;
    }
    auto sorted = sortedCopy(*current, key);
    {
        std::lock_guard lock(mutex_);
        // A listing read meanwhile is newer and was sorted by the key in force; a newer key
        // brings its own sort.
        if (listingGeneration_ != stored || sortKey_ != key)
            return false;
        shown_ = std::move(sorted);
        shownKey_ = key;
        ++listingGeneration_;
    }
    if (const int panel = FtpPanel; clearMarks && panel != 0)
        frontend_.clearMarks(sideOf(panel));
    return true;
}

void FTPCom::FillGrid(const std::string& mask) {
    if (const NameMask names(mask); !names.matchesEverything())
        showOnly(names);
    PanelView view;
    int panel = 0;
    {
        std::lock_guard lock(mutex_);
        panel = FtpPanel;
        if (!listedDir_)
            return; // the panel keeps what it shows until the connection's first listing
        view.Path = *listedDir_;
        view.PathLabel = "0:" + *listedDir_;
        view.Listing = shown_;
        view.SortKey = shownKey_;
        view.Disk = host_;
        view.FolderChanged = lastFilledDir_ != *listedDir_;
        if (view.FolderChanged)
            view.CursorFolder = nameOf(lastFilledDir_);
        view.Session = generation_;
        lastFilledDir_ = *listedDir_;
    }
    if (panel == 0)
        return;
    view.Totals = listingTotals(texts_, *view.Listing);
    frontend_.showPanel(sideOf(panel), std::move(view));
}

void FTPCom::showOnly(const NameMask& names) {
    std::shared_ptr<const listing::DirectoryListing> all;
    std::string key;
    {
        std::lock_guard lock(mutex_);
        all = all_;
        key = sortKey_;
    }
    listing::DirectoryListing filtered;
    const auto keep = [&](const listing::SearchRecord& record) {
        return names.matches(record.Name);
    };
    std::copy_if(all->Dirs.begin(), all->Dirs.end(), std::back_inserter(filtered.Dirs), keep);
    std::copy_if(all->Files.begin(), all->Files.end(), std::back_inserter(filtered.Files), keep);
    auto sorted = sortedCopy(filtered, key);
    std::lock_guard lock(mutex_);
    if (all_ == all) {
        shown_ = std::move(sorted);
        shownKey_ = key;
        ++listingGeneration_;
    }
}
