// zipbench: packs, unpacks and lists zip archives through the zip layer, for benchmarks and
// for checks run by other tools.
//
//   zipbench pack ARCHIVE PATH...   prints the elapsed seconds on its last line
//   zipbench unpack ARCHIVE DIR     prints the elapsed seconds on its last line
//   zipbench list ARCHIVE           one line per entry: name, size, packed size, CRC-32 (hex)
//
// Exit status 0 on success; otherwise non-zero with messages on stderr. TARVO_ZIP_THREADS
// sets the number of compressing threads of `pack` (default: one per core).

#include "local/zip/pack_walk.h"
#include "local/zip/zip_api.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace tarvo::zip;

namespace {

using Clock = std::chrono::steady_clock;

void printSeconds(Clock::time_point start) {
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    std::printf("%.3f\n", elapsed.count());
}

void reportFailure(const std::string& what, ZipResult result) {
    std::fprintf(stderr, "zipbench: %s: zip error 0x%X\n", what.c_str(), result);
}

unsigned compressingThreads() {
    if (const char* configured = std::getenv("TARVO_ZIP_THREADS")) {
        return static_cast<unsigned>(std::strtoul(configured, nullptr, 10));
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

int pack(const std::string& archive, const std::vector<std::string>& paths) {
    const Clock::time_point start = Clock::now();
    const PackWalk walk = walkForPacking(paths);
    bool failed = false;
    for (const PackSkip& skipped : walk.skipped) {
        std::fprintf(stderr, "zipbench: %s: %s\n", skipped.path.c_str(), skipped.reason.c_str());
        failed = failed || !skipped.link;
    }
    ZipHandle handle = ZipCreate(archive);
    if (handle == nullptr) {
        reportFailure("cannot create " + archive, ZipLastWriterResult());
        return 1;
    }
    const std::vector<ZipResult> results =
        ZipAddEntries(handle, walk.requests, compressingThreads());
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i] != ZipOk) {
            const ZipAddRequest& request = walk.requests[i];
            reportFailure(request.folder ? request.nameInArchive : request.sourcePath, results[i]);
            failed = true;
        }
    }
    if (const ZipResult closed = ZipCloseWriter(handle); closed != ZipOk) {
        reportFailure("cannot complete " + archive, closed);
        return 1;
    }
    std::printf("%zu entries\n", walk.requests.size());
    printSeconds(start);
    return failed ? 1 : 0;
}

// Opens the archive and runs `action` on each entry in order; reports every failure. Returns
// the number of entries, or -1 when the archive cannot be opened.
int forEachEntry(const std::string& archive,
                 const std::function<ZipResult(ZipHandle, int, const ZipEntryInfo&)>& action,
                 bool& failed) {
    ZipHandle handle = ZipOpen(archive);
    if (handle == nullptr) {
        reportFailure("cannot open " + archive, ZipLastReaderResult());
        return -1;
    }
    ZipEntryInfo info;
    ZipGetEntry(handle, -1, info);
    const int count = info.index;
    for (int index = 0; index < count; ++index) {
        ZipResult result = ZipGetEntry(handle, index, info);
        if (result == ZipOk) {
            result = action(handle, index, info);
        }
        if (result != ZipOk) {
            reportFailure("entry " + std::to_string(index) + " " + info.name, result);
            failed = true;
        }
    }
    ZipCloseReader(handle);
    return count;
}

int unpack(const std::string& archive, const std::string& folder) {
    const Clock::time_point start = Clock::now();
    bool failed = false;
    const int count = forEachEntry(
        archive,
        [&](ZipHandle handle, int index, const ZipEntryInfo& info) {
            return ZipExtractToFile(handle, index, folder + "/" + info.name);
        },
        failed);
    if (count < 0) {
        return 1;
    }
    std::printf("%d entries\n", count);
    printSeconds(start);
    return failed ? 1 : 0;
}

int list(const std::string& archive) {
    bool failed = false;
    const int count = forEachEntry(
        archive,
        [](ZipHandle, int, const ZipEntryInfo& info) {
            std::printf("%s\t%lld\t%lld\t%08x\n", info.name.c_str(),
                        static_cast<long long>(info.uncompressedSize),
                        static_cast<long long>(info.compressedSize), info.crc32);
            return ZipOk;
        },
        failed);
    return count < 0 || failed ? 1 : 0;
}

int usage() {
    std::fprintf(stderr, "usage: zipbench pack ARCHIVE PATH...\n"
                         "       zipbench unpack ARCHIVE DIR\n"
                         "       zipbench list ARCHIVE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "pack") {
        return pack(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (args.size() == 3 && args[0] == "unpack") {
        return unpack(args[1], args[2]);
    }
    if (args.size() == 2 && args[0] == "list") {
        return list(args[1]);
    }
    return usage();
}
