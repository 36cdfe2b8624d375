#include "app/quick_search.h"

#include <gtest/gtest.h>

namespace listing = tarvo::listing;

namespace {

listing::DirectoryListing listingOf(std::vector<std::string> dirs, std::vector<std::string> files) {
    listing::DirectoryListing result;
    for (auto& name : dirs)
        result.Dirs.push_back({std::move(name)});
    for (auto& name : files)
        result.Files.push_back({std::move(name)});
    return result;
}

// Folders bin, apps, boot (rows 1-3) and files b.txt, a.txt (rows 4-5).
const listing::DirectoryListing kListing = listingOf({"bin", "apps", "boot"}, {"b.txt", "a.txt"});
constexpr int kBin = 1, kApps = 2, kBoot = 3, kBTxt = 4;

// Each sequence of letters starts from a fresh state; each letter gives the row it jumps to.
TEST(QuickSearch, LettersStepThroughFoldersThenFilesWithOneSharedCursor) {
    const struct {
        const char* what;
        std::vector<std::pair<const char*, std::optional<int>>> steps;
    } cases[] = {
        {"repeats cycle", {{"b", kBin}, {"b", kBoot}, {"b", kBTxt}, {"b", kBin}}},
        {"one cursor, any case", {{"a", kApps}, {"b", kBoot}, {"b", kBTxt}, {"B", kBin}}},
        {"a miss starts at the files",
         {{"x", std::nullopt}, {"b", kBTxt}, {"b", kBin}, {"b", kBoot}}},
    };
    for (const auto& c : cases) {
        QuickSearchState state;
        for (const auto& [key, row] : c.steps)
            EXPECT_EQ(quickSearch(state, kListing, QString::fromUtf8(key)), row) << c.what;
    }
    QuickSearchState longer{true, 50, 70}; // left from a longer listing
    EXPECT_EQ(quickSearch(longer, kListing, QStringLiteral("b")), kBTxt);

    const listing::DirectoryListing nonAscii = listingOf({}, {"Zebra", "Ärger", "ärmel"});
    QuickSearchState state;
    EXPECT_EQ(quickSearch(state, nonAscii, QStringLiteral("ä")), 2);
    EXPECT_EQ(quickSearch(state, nonAscii, QStringLiteral("Ä")), 3);
}

} // namespace
