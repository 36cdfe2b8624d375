#include "ftp/remote_listing.h"

#include "ftp/permission_mode.h"
#include "local/listing/listing_sort.h"

#include <algorithm>

namespace listing = tarvo::listing;
using tarvo::ftp::RemoteEntry;
using tarvo::ftp::RemoteTime;

namespace {

constexpr std::int32_t kNormalFile = 0x80;

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

listing::SearchRecord recordOf(RemoteEntry&& entry) {
    listing::SearchRecord record;
    record.Name = std::move(entry.name);
    record.Time = serverClockSeconds(entry.time);
    record.Mode = static_cast<std::uint16_t>(entry.mode & 07777);
    record.IsSymlink = entry.link;
    const bool folder =
        entry.directory || (entry.link && record.Name.find('.') == std::string::npos);
    record.Attr = folder ? listing::Directory : kNormalFile;
    record.Size = entry.directory || entry.link ? 0 : entry.size;
    return record;
}

} // namespace

std::int64_t serverClockSeconds(const RemoteTime& time) {
    if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > daysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59)
        return kUnknownRemoteTime;
    return daysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 +
           time.minute * 60;
}

void addRemoteEntries(std::vector<RemoteEntry>& entries, listing::DirectoryListing& listing) {
    for (RemoteEntry& entry : entries) {
        listing::SearchRecord record = recordOf(std::move(entry));
        (record.Attr & listing::Directory ? listing.Dirs : listing.Files)
            .push_back(std::move(record));
    }
}

std::int64_t remoteAttributeNumber(const listing::SearchRecord& record) {
    if (record.Mode == 0)
        return record.Attr;
    return modeNumber(record.Mode & 0777u);
}

void sortRemoteListing(listing::DirectoryListing& remote, std::string_view key,
                       const QCollator& collator) {
    for (const listing::SortRule& rule : listing::sortRulesIn(key)) {
        if (rule.Column != listing::SortColumn::Attr) {
            if (rule.sortsDirs())
                listing::sortRecords(remote.Dirs, rule, collator);
            listing::sortRecords(remote.Files, rule, collator);
            continue;
        }
        for (auto* records : {&remote.Dirs, &remote.Files})
            listing::sortRecordsByNumber(*records, !rule.Descending, remoteAttributeNumber);
    }
}

RemoteListingBuilder::RemoteListingBuilder(std::string key, const QCollator& collator)
    : key_(std::move(key)), collator_(collator) {
    const auto rules = listing::sortRulesIn(key_);
    if (rules.size() == 1 && (rules[0].Column == listing::SortColumn::Name ||
                              rules[0].Column == listing::SortColumn::Type)) {
        dirOrder_.emplace(rules[0].Column, rules[0].Descending, collator_);
        fileOrder_.emplace(rules[0].Column, rules[0].Descending, collator_);
    }
    try {
        builder_ = std::thread([this] { buildWhatArrives(); });
    } catch (const std::system_error&) {
    }
}

RemoteListingBuilder::~RemoteListingBuilder() {
    finishBuilding();
}

void RemoteListingBuilder::add(std::vector<RemoteEntry>& entries, std::size_t expected) {
    if (!builder_.joinable()) {
        reserveFor(entries.size(), expected);
        build(entries);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        expected_ = std::max(expected_, expected);
        waiting_.push_back(std::move(entries));
        // The parser fills the next part into a vector that held an earlier one: a new one
        // would grow from nothing, reallocating and touching fresh pages at every part.
        entries.clear();
        if (!spare_.empty()) {
            entries.swap(spare_.back());
            spare_.pop_back();
        }
    }
    arrived_.notify_one();
}

void RemoteListingBuilder::buildWhatArrives() {
    std::vector<std::vector<RemoteEntry>> parts;
    for (;;) {
        std::size_t expected = 0;
        {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return ended_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            parts.swap(waiting_);
            expected = expected_;
        }
        std::size_t arriving = 0;
        for (const std::vector<RemoteEntry>& part : parts)
            arriving += part.size();
        reserveFor(arriving, expected);
        for (std::vector<RemoteEntry>& part : parts) {
            build(part);
            part.clear();
        }
        const std::lock_guard lock(mutex_);
        for (std::vector<RemoteEntry>& part : parts)
            spare_.push_back(std::move(part));
        parts.clear();
    }
}

void RemoteListingBuilder::finishBuilding() {
    if (!builder_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    arrived_.notify_one();
    builder_.join();
}

void RemoteListingBuilder::reserveFor(std::size_t arriving, std::size_t expected) {
    // Room for every part at hand, and for what the listing is expected to hold, at once: the
    // files' records are most of a large listing, and growing their vector (and the order's)
    // part by part moved them and touched fresh memory at each doubling (a third of the
    // builder's time at 100,000 entries). Folders grow as they come.
    std::vector<listing::SearchRecord>& files = listing_.Files;
    const std::size_t wanted = std::max(files.size() + arriving, expected);
    if (files.capacity() >= wanted)
        return;
    files.reserve(std::max(wanted, 2 * files.capacity()));
    if (fileOrder_)
        fileOrder_->reserve(files.capacity());
}

void RemoteListingBuilder::build(std::vector<RemoteEntry>& entries) {
    addRemoteEntries(entries, listing_);
    // A LIST reply arrives in parts of a few thousand lines; ordering each part alone would
    // merge the whole order so far that many times over.
    constexpr std::size_t kOrderBatch = 16384;
    if (dirOrder_ &&
        listing_.Dirs.size() + listing_.Files.size() - orderedDirs_ - orderedFiles_ >= kOrderBatch)
        order();
}

void RemoteListingBuilder::order() {
    dirOrder_->add(listing_.Dirs, orderedDirs_);
    fileOrder_->add(listing_.Files, orderedFiles_);
    orderedDirs_ = listing_.Dirs.size();
    orderedFiles_ = listing_.Files.size();
}

listing::DirectoryListing RemoteListingBuilder::sorted() && {
    finishBuilding();
    if (!dirOrder_) {
        listing::DirectoryListing result = std::move(listing_);
        sortRemoteListing(result, key_, collator_);
        return result;
    }
    order();
    listing::DirectoryListing result = std::move(listing_);
    dirOrder_->sort(result.Dirs);
    fileOrder_->sort(result.Files);
    return result;
}
