// listbench DIR [KEY [MASK]]: lists DIR the way a panel's worker does (read the folder, keep the
// names that match MASK as the mask box applies it, build their records, sort them by KEY) and
// reports how long that took. Cells are not formatted: a panel formats only the rows it draws,
// on demand.
#include "local/listing/directory_reader.h"
#include "local/listing/listing_sort.h"
#include "platform/name_mask.h"

#include <QLocale>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace listing = tarvo::listing;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: listbench DIR [KEY [MASK]]\n"
                             "KEY: name|size|date|type|attr followed by 0-1 or 1-0, "
                             "default \"name 1-0\"; any other text sorts nothing\n"
                             "MASK: as in a panel's mask box, default \"*.*\"\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string key = argc >= 3 ? argv[2] : "name 1-0";
    const NameMask mask(argc == 4 ? argv[3] : "*.*");
    const QCollator collator = listing::nameCollator(QLocale::system());

    const auto start = std::chrono::steady_clock::now();
    listing::NameFilter filter;
    if (!mask.matchesEverything())
        filter = [&mask](std::string_view name) { return mask.matches(name); };
    listing::ReadResult result = listing::readDirectory(path, {}, filter);
    const double readSeconds = secondsSince(start);
    if (!result.ok()) {
        std::fprintf(stderr, "listbench: cannot list %s: %s\n", path.c_str(),
                     std::strerror(result.Error));
        return 1;
    }
    const auto sortStart = std::chrono::steady_clock::now();
    listing::sortListing(result.Listing, key, collator);
    const double sortSeconds = secondsSince(sortStart);
    const double totalSeconds = secondsSince(start);

    const std::size_t entries = result.Listing.Dirs.size() + result.Listing.Files.size();
    std::printf("key \"%s\", locale %s\n", key.c_str(), qPrintable(QLocale::system().name()));
    std::printf("read %.4f s, sort %.4f s\n", readSeconds, sortSeconds);
    std::printf("%zu entries in %.4f s\n", entries, totalSeconds);
    return 0;
}
