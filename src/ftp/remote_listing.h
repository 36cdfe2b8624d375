#pragma once

#include "local/listing/search_record.h"
#include "platform/ftp/list_parser.h"

#include "local/listing/listing_sort.h"

#include <QCollator>

#include <condition_variable>

#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The FTP panel's records: a LIST reply's entries as panel rows, and their sort.

// A remote date is kept as the server's own clock reads it: seconds counted as if that clock
// ran in UTC, so that dates sort as numbers and show without a time-zone conversion.
inline constexpr std::int64_t kUnknownRemoteTime = std::numeric_limits<std::int64_t>::min();
std::int64_t serverClockSeconds(const tarvo::ftp::RemoteTime& time);

// Appends the entries to the listing as panel records: a folder is a folder row; a link is a
// folder row shown as "<LNK>", or a file row of size 0 when its name holds a "."; anything else
// is a file row. The entries are moved from.
void addRemoteEntries(std::vector<tarvo::ftp::RemoteEntry>& entries,
                      tarvo::listing::DirectoryListing& listing);

// The number the attribute column shows for a record: its mode number (the three octal digits
// of its permission bits read as a decimal number, 0755 giving 755) or, without permission
// bits, its attribute bits (16 a folder, 128 a file).
std::int64_t remoteAttributeNumber(const tarvo::listing::SearchRecord& record);

// Sorts by a panel's sort key as the FTP panel does: like a local panel, except that the "attr"
// keys order by the number the attribute column shows and run the other way round ("attr 0-1"
// puts the larger number first).
void sortRemoteListing(tarvo::listing::DirectoryListing& listing, std::string_view key,
                       const QCollator& collator);

// Builds a listing from its entries as they arrive and prepares the sort meanwhile: for a name
// or type key the order is built part by part while the server is still sending, so that little
// is left to do once the last entry is in. The records and the order are built on a thread of
// the builder's own, so that the reading of the reply never waits for them.
class RemoteListingBuilder {
public:
    RemoteListingBuilder(std::string key, const QCollator& collator);
    ~RemoteListingBuilder();
    RemoteListingBuilder(const RemoteListingBuilder&) = delete;
    RemoteListingBuilder& operator=(const RemoteListingBuilder&) = delete;

    // Takes the entries (the vector is left empty); `expected` is how many the listing is
    // expected to hold in all, for the records to make room for at once (0: unknown).
    void add(std::vector<tarvo::ftp::RemoteEntry>& entries, std::size_t expected = 0);
    // The listing sorted by the key, once every entry added is in; the builder is spent.
    tarvo::listing::DirectoryListing sorted() &&;

private:
    void reserveFor(std::size_t arriving, std::size_t expected);
    void build(std::vector<tarvo::ftp::RemoteEntry>& entries);
    void order();
    void buildWhatArrives();
    void finishBuilding();

    std::string key_;
    QCollator collator_;
    tarvo::listing::DirectoryListing listing_;
    // For a key whose only rule orders by name or type.
    std::optional<tarvo::listing::CollationOrder> dirOrder_;
    std::optional<tarvo::listing::CollationOrder> fileOrder_;
    // Records not yet in the orders: they take records in batches, since each part they take
    // is sorted and merged into the whole order so far.
    std::size_t orderedDirs_ = 0;
    std::size_t orderedFiles_ = 0;

    // Entries handed over and not yet built; the thread ends once ended_ is set and they are in.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::vector<tarvo::ftp::RemoteEntry>> waiting_;
    // Emptied parts, for add() to hand back to the parser.
    std::vector<std::vector<tarvo::ftp::RemoteEntry>> spare_;
    std::size_t expected_ = 0;
    bool ended_ = false;
    std::thread builder_; // not joinable where no thread could be started: add() builds then
};
