#include "main/quick_search.h"

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

std::optional<int> type(QuickSearchState& state, const char* key) {
    return quickSearch(state, kListing, QString::fromUtf8(key));
}

TEST(QuickSearch, RepeatedLettersStepThroughFoldersThenFilesThenAgain) {
    QuickSearchState state;
    EXPECT_EQ(type(state, "b"), kBin);
    EXPECT_EQ(type(state, "b"), kBoot);
    EXPECT_EQ(type(state, "b"), kBTxt);
    EXPECT_EQ(type(state, "b"), kBin);
}

TEST(QuickSearch, TheCursorIsSharedByAllLetters) {
    QuickSearchState state;
    EXPECT_EQ(type(state, "a"), kApps);
    EXPECT_EQ(type(state, "b"), kBoot) << "bin lies before the cursor";
    EXPECT_EQ(type(state, "b"), kBTxt);
    EXPECT_EQ(type(state, "B"), kBin) << "case does not matter";
}

TEST(QuickSearch, ALetterThatMatchesNothingStartsTheNextSearchAtTheFiles) {
    QuickSearchState state;
    EXPECT_EQ(type(state, "x"), std::nullopt);
    EXPECT_EQ(type(state, "b"), kBTxt);
    EXPECT_EQ(type(state, "b"), kBin);
    EXPECT_EQ(type(state, "b"), kBoot);
}

TEST(QuickSearch, MatchesANonAsciiInitialWhateverItsCase) {
    const listing::DirectoryListing listing = listingOf({}, {"Zebra", "Ärger", "ärmel"});
    QuickSearchState state;
    EXPECT_EQ(quickSearch(state, listing, QStringLiteral("ä")), 2);
    EXPECT_EQ(quickSearch(state, listing, QStringLiteral("Ä")), 3);
}

TEST(QuickSearch, AStateFromALongerListingFindsFromTheStart) {
    QuickSearchState state{true, 50, 70};
    EXPECT_EQ(type(state, "b"), kBTxt) << "the folder pass ends at once and resets the cycle";
}

} // namespace
