#include "local/zip_jobs/zip_view_listing.h"

#include "local/zip/zip_api.h"
#include "platform/byte_total.h"
#include "platform/posix/path.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zip = tarvo::zip;

namespace {

constexpr std::size_t kLevel = 6; // blanks per level of the tree

std::string rowText(const std::string& name) {
    std::size_t indent =
        kLevel * (1 + static_cast<std::size_t>(std::count(name.begin(), name.end(), '/')));
    if (!name.empty() && name.back() == '/')
        return std::string(indent, ' ') + name;
    if (indent > kLevel)
        indent += kLevel;
    return std::string(indent, ' ') + nameOf(name);
}

// The label has room for four characters of the percentage. Cutting a longer text there would
// show 5.42 for 5.42e-18 and 66.6 for 66.67, so the number is rounded to the decimals that fit
// instead; one of 10000 or more shows its whole part rather than a wrong one.
std::string percentText(double percent) {
    constexpr std::size_t kRoom = 4;
    char text[64]; // the largest ratio, 2^64 - 1 packed from 1 unpacked, has 22 digits
    std::snprintf(text, sizeof text, "%.15g", percent); // exact values keep their short text
    for (int decimals = 2; std::strlen(text) > kRoom && decimals >= 0; --decimals)
        std::snprintf(text, sizeof text, "%.*f", decimals, percent);
    return text;
}

} // namespace

ZipViewListing listZipArchive(const std::string& archivePath, const std::stop_token& stop) {
    ZipViewListing listing;
    listing.Rows.push_back(archivePath);
    const zip::UniqueZipHandle handle(zip::ZipOpen(archivePath));
    if (handle == nullptr)
        return listing;
    listing.Opened = true;
    if (tarvo::zip::FileStamp stamp; zip::ZipReaderFile(handle.get(), stamp))
        listing.Stamp = stamp;
    zip::ZipEntryInfo info;
    zip::ZipGetEntry(handle.get(), -1, info);
    const int count = info.index;
    listing.Rows.reserve(static_cast<std::size_t>(count) + 1);
    for (int index = 0; index < count && !stop.stop_requested(); ++index) {
        // A damaged entry keeps its row, blank, so that rows stay entry index + 1.
        if (zip::ZipGetEntry(handle.get(), index, info) != zip::ZipOk) {
            listing.Rows.emplace_back(kLevel, ' ');
            continue;
        }
        listing.Packed = addBytes(listing.Packed, info.compressedSize);
        listing.Unpacked = addBytes(listing.Unpacked, info.uncompressedSize);
        if (info.name.empty() || info.name.back() != '/')
            ++listing.Files;
        listing.Rows.push_back(rowText(info.name));
    }
    return listing;
}

std::string zipViewCaption(const ZipViewListing& listing, const std::string& zipArchive) {
    return zipArchive + " " + std::to_string(listing.Packed / 1024) + "KB/" +
           std::to_string(listing.Unpacked / 1024) + "KB";
}

std::string zipViewCountText(const ZipViewListing& listing, const std::string& files) {
    return files + ": " + std::to_string(listing.Files);
}

double zipViewRatio(const ZipViewListing& listing) {
    return static_cast<double>(listing.Packed) / static_cast<double>(listing.Unpacked);
}

std::string zipViewRatioText(const ZipViewListing& listing, const std::string& level) {
    return level + " " + percentText(zipViewRatio(listing) * 100) + "%";
}
