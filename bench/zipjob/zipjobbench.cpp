// zipjobbench: runs the program's zip jobs and the archive viewer's listing without a screen.
//
//   zipjobbench pack ARCHIVE FOLDER NAME...  packs the NAMEs of FOLDER as the pack command packs
//                                            those marked rows; an existing ARCHIVE is replaced
//   zipjobbench view ARCHIVE                 prints what the viewer shows: its rows, caption,
//                                            count and ratio
//   zipjobbench unpack ARCHIVE FOLDER        unpacks into the folder text FOLDER, answering No
//                                            to every overwrite question
//
// Status texts go to stdout as lines, the job's end report to stderr; the last line reads
// "N entries S s". Exit status 0 on success, otherwise non-zero with a message on stderr.
// TARVO_ZIP_THREADS sets the number of compressing threads of `pack` (default: one per core).

#include "local/zip/zip_api.h"
#include "local/zip_jobs/archive_paths.h"
#include "local/zip_jobs/zip_thread.h"
#include "local/zip_jobs/zip_view_listing.h"
#include "platform/message_service.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The texts of the English language file the jobs and the viewer use.
std::string english(const std::string& key) {
    static const std::map<std::string, std::string> texts{
        {"Overwrite", "Overwrite the existing file"},
        {"OperationNotAllowed", "Operation not allowed"},
        {"CouldNotCreateFileArchive", "Could not create the archive file."},
        {"ZipArchive", "Zip archive"},
        {"Files", "Files"},
        {"CommpresionLevel", "Compression level"}};
    const auto found = texts.find(key);
    return found == texts.end() ? key : found->second;
}

// Boxes go to stderr; a question is answered Yes or No as the command needs, and a box that
// only informs (a report or an error) makes the run a failure.
class ConsoleMessages : public MessageService {
public:
    explicit ConsoleMessages(MessageButton answer) : answer_(answer) {}

    MessageButton show(const MessageRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.c_str());
        if (request.buttons == MessageButton::Ok) {
            failed_ = true;
            return MessageButton::Ok;
        }
        return answer_;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string& initial) override {
        return initial;
    }
    bool failed() const { return failed_; }

private:
    MessageButton answer_;
    bool failed_ = false;
};

class ConsoleHost : public ZipJobHost {
public:
    explicit ConsoleHost(MessageButton answer) : messages_(answer) {}

    MessageService& messages() override { return messages_; }
    std::string translate(const std::string& key) override { return english(key); }
    void setZipState(int) override {}
    void showZipStatus(std::string text) override {
        std::fputs(text.c_str(), stdout);
        std::fputc('\n', stdout);
        ++statusLines_;
    }
    void packedRow(PanelSide, const ZipPackItem&) override {}
    void unpackedEntry(int) override {}
    void rereadPanels() override {}
    bool postPanelRefresh() override { return true; }
    void beep() override {}
    void zipJobEnded() override {}

    bool failed() const { return messages_.failed(); }
    int statusLines() const { return statusLines_; }

private:
    ConsoleMessages messages_;
    int statusLines_ = 0;
};

std::string currentFolder() {
    char path[PATH_MAX];
    return ::getcwd(path, sizeof path) != nullptr ? std::string(path) : std::string("/");
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int finish(bool failed, long entries, Clock::time_point start) {
    std::printf("%ld entries %.3f s\n", entries, secondsSince(start));
    return failed ? 1 : 0;
}

unsigned compressingThreads() {
    const char* configured = std::getenv("TARVO_ZIP_THREADS");
    return configured != nullptr ? static_cast<unsigned>(std::strtoul(configured, nullptr, 10)) : 0;
}

long entriesIn(const std::string& archive) {
    tarvo::zip::ZipHandle handle = tarvo::zip::ZipOpen(archive);
    if (handle == nullptr)
        return 0;
    tarvo::zip::ZipEntryInfo info;
    tarvo::zip::ZipGetEntry(handle, -1, info);
    tarvo::zip::ZipCloseReader(handle);
    return info.index;
}

int pack(const std::string& archive, const std::string& folder,
         const std::vector<std::string>& names) {
    const Clock::time_point start = Clock::now();
    ZipJob job;
    job.JobKind = ZipJob::Kind::Pack;
    job.Folder = resolveTypedPath(currentFolder(), folder);
    job.ArchivePath = resolveTypedPath(currentFolder(), archive);
    job.Threads = compressingThreads();
    for (const std::string& name : names)
        job.Items.push_back({name, static_cast<int>(job.Items.size()) + 1});
    ConsoleHost host(MessageButton::Yes);
    ZipThread(std::move(job), host).join();
    return finish(host.failed(), entriesIn(archive), start);
}

int unpack(const std::string& archive, const std::string& folder) {
    const Clock::time_point start = Clock::now();
    ZipJob job;
    job.JobKind = ZipJob::Kind::Unpack;
    job.ArchivePath = resolveTypedPath(currentFolder(), archive);
    job.UnpackFolder = resolveTypedFolder(currentFolder(), folder);
    ConsoleHost host(MessageButton::No);
    ZipThread(std::move(job), host).join();
    return finish(host.failed(), host.statusLines(), start);
}

int view(const std::string& archive) {
    const Clock::time_point start = Clock::now();
    const std::string path = resolveTypedPath(currentFolder(), archive);
    const ZipViewListing listing = listZipArchive(path);
    std::string out;
    for (const std::string& row : listing.Rows)
        out.append(row).push_back('\n');
    std::fputs(out.c_str(), stdout);
    std::printf("%s\n%s\n%s\n", zipViewCaption(listing, english("ZipArchive")).c_str(),
                zipViewCountText(listing, english("Files")).c_str(),
                zipViewRatioText(listing, english("CommpresionLevel")).c_str());
    // An archive that cannot be opened shows as its path alone, as in the viewer.
    if (!listing.Opened)
        std::fprintf(stderr, "zipjobbench: cannot open %s\n", path.c_str());
    return finish(!listing.Opened, static_cast<long>(listing.Rows.size()) - 1, start);
}

int usage() {
    std::fprintf(stderr, "usage: zipjobbench pack ARCHIVE FOLDER NAME...\n"
                         "       zipjobbench view ARCHIVE\n"
                         "       zipjobbench unpack ARCHIVE FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "pack")
        return pack(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    if (args.size() == 2 && args[0] == "view")
        return view(args[1]);
    if (args.size() == 3 && args[0] == "unpack")
        return unpack(args[1], args[2]);
    return usage();
}
