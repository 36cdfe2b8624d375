#include "local/zip_jobs/zip_view_listing.h"

#include "support/temp_tree.h"
#include "support/zip_archives.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace {

std::string blanks(std::size_t count) {
    return std::string(count, ' ');
}

TEST(ZipViewListing, ShowsTheEntriesAsATreeIndentedBySixBlanksALevel) {
    TempTree tree;
    const std::string archive = tree.at("a.zip");
    writeArchive(archive, {{"top.txt", "12345"},
                           {"dir/", ""},
                           {"dir/in.txt", "1234567"},
                           {"dir/sub/", ""},
                           {"dir/sub/deep", "1"}});
    const ZipViewListing listing = listZipArchive(archive);
    EXPECT_TRUE(listing.Opened);
    EXPECT_EQ(listing.Rows,
              (std::vector<std::string>{archive, blanks(6) + "top.txt", blanks(12) + "dir/",
                                        blanks(18) + "in.txt", blanks(18) + "dir/sub/",
                                        blanks(24) + "deep"}));
    // Packed: stored; unpacked: counted from 1.
    EXPECT_EQ(std::tuple(listing.Files, listing.Packed, listing.Unpacked), std::tuple(3, 13, 14));
}

TEST(ZipViewListing, AnEmptyArchiveAndAFileThatIsNoArchiveShowNothingButThePath) {
    TempTree tree;
    const std::string empty = tree.at("empty.zip");
    writeArchive(empty, {});
    for (const std::string& archive : {empty, tree.write("text.zip", "no archive")}) {
        SCOPED_TRACE(archive);
        const ZipViewListing listing = listZipArchive(archive);
        EXPECT_EQ(listing.Opened, archive == empty);
        EXPECT_EQ(listing.Rows, std::vector<std::string>{archive});
        EXPECT_EQ(zipViewCaption(listing, "Zip archive"), "Zip archive 0KB/0KB");
        EXPECT_EQ(zipViewCountText(listing, "Files"), "Files: 0");
        EXPECT_EQ(zipViewRatioText(listing, "Level"), "Level 0%");
        EXPECT_EQ(zipViewRatio(listing), 0.0);
    }
}

// A Zip64 entry may claim any 64-bit size: the total stops at the largest instead of wrapping.
TEST(ZipViewListing, AClaimedSizePast2To63MakesTheLargestTotal) {
    TempTree tree;
    const std::string archive = tree.at("huge.zip");
    const CommandResult made = runCommand("python3 -c 'import sys, zipfile\n"
                                          "with zipfile.ZipFile(sys.argv[1], \"w\") as z:\n"
                                          "    z.writestr(\"huge\", \"x\")\n"
                                          "    z.getinfo(\"huge\").file_size = 2**64 - 1' " +
                                          shellQuoted(archive));
    ASSERT_EQ(made.status, 0) << made.output;
    const ZipViewListing listing = listZipArchive(archive);
    EXPECT_EQ(std::tuple(listing.Files, listing.Packed, listing.Unpacked),
              std::tuple(1, 1u, std::numeric_limits<std::uint64_t>::max()));
    EXPECT_EQ(zipViewCaption(listing, "Z"), "Z 0KB/18014398509481983KB");
    EXPECT_EQ(zipViewRatioText(listing, "L"), "L 0.00%") << "5.4e-18 rounded";
}

// The ratio shows in four characters, rounded, whatever its size.
TEST(ZipViewListing, TotalsAndRatioTexts) {
    struct Case {
        std::uint64_t packed;
        std::uint64_t unpacked;
        std::string texts; // caption and ratio
    };
    const Case cases[] = {
        {1, 3, "Z 0KB/0KB L 33.3%"},
        {3, 3, "Z 0KB/0KB L 100%"},
        {2048, 4096, "Z 2KB/4KB L 50%"},
        {123456, 1000000, "Z 120KB/976KB L 12.3%"},
        {7, 1000, "Z 0KB/0KB L 0.7%"},
        {2, 3, "Z 0KB/0KB L 66.7%"},
        {9996, 100000, "Z 9KB/97KB L 10.0%"},
        {61, std::uint64_t{1} << 63, "Z 0KB/9007199254740992KB L 0.00%"},
        {99999, 1000, "Z 97KB/0KB L 10000%"},
        {std::numeric_limits<std::uint64_t>::max(), 1,
         "Z 18014398509481983KB/0KB L 1844674407370955161600%"},
    };
    for (const Case& c : cases) {
        ZipViewListing listing;
        listing.Packed = c.packed;
        listing.Unpacked = c.unpacked;
        EXPECT_EQ(zipViewCaption(listing, "Z") + " " + zipViewRatioText(listing, "L"), c.texts);
    }
}

} // namespace
