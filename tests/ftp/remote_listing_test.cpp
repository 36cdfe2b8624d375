#include "ftp/remote_listing.h"
#include "local/listing/listing_sort.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

namespace listing = tarvo::listing;
using tarvo::ftp::RemoteEntry;
using tarvo::ftp::RemoteTime;

listing::DirectoryListing sample() {
    std::vector<RemoteEntry> entries = {
        {"a", false, false, (1ull << 31) + 1, {2001, 1, 1, 0, 0}, 0644},
        {"d1", true, false, 0, {2003, 1, 1, 0, 0}, 0755},
        {"b", false, false, 1, {2002, 1, 1, 0, 0}, 04755},
        {"c", false, false, 1ull << 32, {2023, 2, 29, 0, 0}, 0777}, // no such day
        {"d2", true, false, 0, {2000, 1, 1, 0, 0}, 0700},
    };
    listing::DirectoryListing result;
    addRemoteEntries(entries, result);
    return result;
}

std::vector<std::string> names(const listing::DirectoryListing& shown) {
    std::vector<std::string> result;
    for (const auto* records : {&shown.Dirs, &shown.Files})
        for (const listing::SearchRecord& record : *records)
            result.push_back(record.Name);
    return result;
}

TEST(RemoteSort, KeysOrderAsTheFtpPanelDoes) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"none", {"d1", "d2", "a", "b", "c"}},
        {"size 1-0", {"d1", "d2", "c", "a", "b"}}, // 64-bit sizes; folders stay as listed
        {"size 0-1", {"d1", "d2", "b", "a", "c"}},
        {"attr 0-1", {"d1", "d2", "c", "b", "a"}}, // the larger mode number first
        {"attr 1-0", {"d2", "d1", "a", "b", "c"}},
        {"date 1-0", {"d1", "d2", "b", "a", "c"}}, // a date that is none comes last
        {"name 1-0", {"d1", "d2", "a", "b", "c"}},
        {"name 0-1", {"d2", "d1", "c", "b", "a"}},
    };
    const QCollator collator = listing::nameCollator(QLocale("en_US"));
    for (const auto& [key, order] : cases) {
        listing::DirectoryListing shown = sample();
        sortRemoteListing(shown, key, collator);
        EXPECT_EQ(names(shown), order) << key;
    }
}

TEST(RemoteRecords, ServerClockSeconds) {
    EXPECT_EQ(serverClockSeconds({1970, 1, 1, 0, 0}), 0);
    EXPECT_EQ(serverClockSeconds({2024, 2, 29, 10, 0}), 1709200800);
    EXPECT_EQ(serverClockSeconds({1960, 12, 31, 23, 59}), -283996860);
    for (const RemoteTime& none : {RemoteTime{2023, 2, 29, 0, 0}, RemoteTime{2024, 4, 31, 0, 0},
                                   RemoteTime{2024, 13, 1, 0, 0}, RemoteTime{}})
        EXPECT_EQ(serverClockSeconds(none), kUnknownRemoteTime) << none.year << "-" << +none.month;
}

} // namespace
