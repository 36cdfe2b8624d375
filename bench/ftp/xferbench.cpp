// Transfers timed with the program's own job code, headless: the FTP session, the batches of
// marked rows and the tree walks, every question answered Yes, every box on stderr.
//   xferbench get|put|getdir|putdir HOST PORT USER PASS SOURCE TARGET_DIR [--active]
// get: remote file SOURCE into TARGET_DIR as a marked file row (its size from a listing of
// its folder); put: local file SOURCE into remote folder TARGET_DIR; getdir/putdir: folder
// SOURCE with everything below it into TARGET_DIR/<its name>, as a marked folder row.
// Last line: "FILES files BYTES bytes SECONDS seconds"; exit 1 when any item failed.
#include "bench_screen.h"

#include "ftp/ftp_com.h"
#include "ftp/site_store.h"
#include "ftp/transfer_batch.h"
#include "local/local_explorer.h"
#include "settings/language_table.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

int usage() {
    std::fprintf(stderr, "usage: xferbench get|put|getdir|putdir HOST PORT USER PASS SOURCE "
                         "TARGET_DIR [--active]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 8)
        return usage();
    const std::string mode = argv[1];
    const bool download = mode == "get" || mode == "getdir";
    const bool folder = mode == "getdir" || mode == "putdir";
    if (!download && mode != "put" && mode != "putdir")
        return usage();
    const bool active = argc > 8 && std::strcmp(argv[8], "--active") == 0;
    const std::string source = argv[6];
    const std::string target = argv[7];

    BenchScreen screen(MessageButton::Yes);
    LanguageTable texts;
    IOFile sites;
    SiteRecord site = sites.currentSite();
    site.Passive = !active;
    // The listing that gives a downloaded file its size is the one of its folder.
    site.StartDir = download ? folderOf(source) : target;
    sites.setCurrentSite(site);
    LocalExplorer left{screen, texts, PanelSide::Left};
    LocalExplorer right{screen, texts, PanelSide::Right};
    left.SetPath(download ? target : folderOf(source));
    FTPCom ftp(screen, texts, sites, left, right);

    const auto start = std::chrono::steady_clock::now();
    if (ftp.Connect({"bench", argv[2], argv[3], argv[4], argv[5]}, 1) != 1 || ftp.List() < 0) {
        std::fprintf(stderr, "%s", screen.console.c_str());
        return 1;
    }
    MarkDomain entry{download ? ftp.currentDir() : folderOf(source),
                     target,
                     nameOf(source),
                     folder,
                     false,
                     0,
                     0};
    if (download && !folder) {
        for (const auto& record : ftp.shownListing()->Files) {
            if (record.Name == entry.Name)
                entry.Size = record.Size;
        }
    }
    JobQueue queue;
    queue.Items.push_back(entry);
    Job job;
    const TransferBatch batch{ftp, screen, job, download ? PanelSide::Right : PanelSide::Left,
                              "Copying"};
    const int kind = download ? downloadMarked(batch, queue, left) : uploadMarked(batch, queue);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::size_t files = 0;
    for (auto at = screen.console.find("File transfer complete"); at != std::string::npos;
         at = screen.console.find("File transfer complete", at + 1))
        ++files;
    const bool failed = kind == 2 || screen.failures() > 0;
    if (failed)
        std::fprintf(stderr, "%s", screen.console.c_str());
    std::printf("%zu files %lld bytes %.3f seconds\n", files,
                static_cast<long long>(job.progress.bytesMoved.load()), seconds);
    return failed ? 1 : 0;
}
