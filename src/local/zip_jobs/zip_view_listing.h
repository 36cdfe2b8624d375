#pragma once

#include "local/zip/zip_api.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

// What the archive viewer shows of an archive: its entries as an indented tree, with the
// packed and unpacked totals.
struct ZipViewListing {
    // Row 0 holds the archive's path; row i + 1 entry i, in the archive's order: six blanks for
    // each level, a folder by its whole name (ending in "/"), a file by its own name, indented a
    // level deeper than the folder entries beside it.
    std::vector<std::string> Rows;
    bool Opened = false;                        // false: the file is no archive this layer can read
    std::optional<tarvo::zip::FileStamp> Stamp; // the archive file listed, once opened
    int Files = 0;
    std::uint64_t Packed = 0;   // both stop at the largest value
    std::uint64_t Unpacked = 1; // counted from 1: an empty archive has the ratio 0
};

// Lists the archive; one that cannot be opened lists as row 0 alone. A stop ends the listing
// early with what was read so far.
ZipViewListing listZipArchive(const std::string& archivePath, const std::stop_token& stop = {});

// The viewer's caption: zipArchive + " " + packed KiB + "KB/" + unpacked KiB + "KB".
std::string zipViewCaption(const ZipViewListing& listing, const std::string& zipArchive);
// files + ": " + the number of file entries.
std::string zipViewCountText(const ZipViewListing& listing, const std::string& files);
// level + " " + packed / unpacked x 100 in four characters, rounded + "%" (0, 0.7, 33.3, 0.00);
// a ratio of 10000 % or more shows its whole part.
std::string zipViewRatioText(const ZipViewListing& listing, const std::string& level);
// packed / unpacked, for the ratio bar.
double zipViewRatio(const ZipViewListing& listing);
