#include "local/zip_jobs/pack_job.h"

#include "local/zip/pack_walk.h"
#include "local/zip/zip_api.h"
#include "local/zip_jobs/zip_failures.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"

#include <sys/stat.h>

#include <algorithm>
#include <thread>

namespace zip = tarvo::zip;

namespace {

const std::string kTitle = "Tarvo Manager";

// Gives each row back once the last of its entries is written, in row order. A row that adds
// no entry (a link, say) is done when the rows before it are.
class RowProgress {
public:
    RowProgress(const ZipJob& job, const zip::PackWalk& walk, ZipJobHost& host)
        : items_(job.Items), side_(job.Side), host_(host), lastEntry_(job.Items.size(), -1) {
        for (std::size_t entry = 0; entry < walk.origins.size(); ++entry)
            lastEntry_[walk.origins[entry]] = static_cast<long>(entry);
    }

    // Every entry up to `entry` is written (-1: none yet).
    void writtenUpTo(long entry) {
        while (next_ < items_.size() && lastEntry_[next_] <= entry)
            host_.packedRow(side_, items_[next_++]);
    }

private:
    const std::vector<ZipPackItem>& items_;
    const PanelSide side_;
    ZipJobHost& host_;
    std::vector<long> lastEntry_;
    std::size_t next_ = 0;
};

class PackRun {
public:
    PackRun(const ZipJob& job, ZipJobHost& host, Job& control)
        : job_(job), host_(host), control_(control) {}

    void run() {
        std::vector<zip::FileIdentity> leaveOut;
        struct stat existing {};
        if (::stat(job_.ArchivePath.c_str(), &existing) == 0) {
            // A pipe, a device or a folder of that name is no archive to replace; a pipe
            // would hold the job in its opening until a reader came.
            if (!S_ISREG(existing.st_mode)) {
                cannotCreate("\n\n" + job_.ArchivePath + ": not a regular file");
                return;
            }
            if (!overwriteAllowed())
                return; // the old archive stays as it is, and nothing is re-read
            leaveOut.push_back({existing.st_dev, existing.st_ino});
        }
        zip::UniqueZipHandle handle(zip::ZipCreate(job_.ArchivePath));
        if (handle == nullptr) {
            cannotCreate("");
            return;
        }
        // The archive is written inside a marked folder too: it never packs itself.
        if (zip::FileIdentity written; zip::ZipWriterFile(handle.get(), written))
            leaveOut.push_back(written);
        pack(handle.get(), leaveOut);
        if (const zip::ZipResult closed = zip::ZipCloseWriter(handle.release());
            closed != zip::ZipOk)
            failures_.add(job_.ArchivePath, zipResultText(closed));
        if (!failures_.empty())
            host_.messages().show({kTitle, failures_.report(host_.translate("OperationNotAllowed")),
                                   MessageButton::Ok, MessageIcon::Information});
        else if (!control_.stopRequested())
            host_.beep();
        host_.rereadPanels();
    }

private:
    void cannotCreate(const std::string& detail) {
        host_.messages().show({kTitle, host_.translate("CouldNotCreateFileArchive") + detail,
                               MessageButton::Ok, MessageIcon::Information});
    }

    bool overwriteAllowed() {
        host_.setZipState(-1);
        const MessageButton answer = host_.messages().show(
            {kTitle, host_.translate("Overwrite") + "\n\n" + job_.ArchivePath + "?\n",
             MessageButton::Yes | MessageButton::No, MessageIcon::Question});
        // Only a Yes replaces it: a box closed by the program's end answers Cancel.
        if (answer != MessageButton::Yes)
            return false;
        host_.setZipState(1);
        return true;
    }

    void pack(zip::ZipHandle handle, const std::vector<zip::FileIdentity>& leaveOut) {
        std::vector<std::string> paths;
        for (const ZipPackItem& item : job_.Items)
            paths.push_back(joinPath(job_.Folder, item.Name));
        const zip::PackWalk walk = zip::walkForPacking(paths, leaveOut, control_.stopToken());
        for (const zip::PackSkip& skipped : walk.skipped)
            failures_.add(shown(skipped.path), skipped.reason);

        RowProgress rows(job_, walk, host_);
        rows.writtenUpTo(-1);
        zip::ZipAddObserver observer;
        observer.stop = control_.stopToken();
        observer.starting = [&](std::size_t index) {
            const zip::ZipAddRequest& request = walk.requests[index];
            if (request.folder)
                return;
            const std::string count = std::to_string(++control_.progress.itemsDone);
            const std::string& name = request.nameInArchive;
            // A marked file, or a file inside a marked folder.
            host_.showZipStatus(name.find('/') == std::string::npos
                                    ? "ADD to archive (" + count + "): " + name
                                    : "Adding to archive (" + count + "): " + nameOf(name));
        };
        observer.finished = [&](std::size_t index, zip::ZipResult result) {
            if (result == zip::ZipCancelled)
                return;
            // A failed write of the archive is reported once, when the archive is closed.
            if (result != zip::ZipOk && result != zip::ZipEarlierError) {
                const zip::ZipAddRequest& request = walk.requests[index];
                failures_.add(request.folder ? request.nameInArchive : shown(request.sourcePath),
                              zipResultText(result));
            }
            rows.writtenUpTo(static_cast<long>(index));
        };
        const unsigned threads =
            job_.Threads != 0 ? job_.Threads : std::max(1u, std::thread::hardware_concurrency());
        zip::ZipAddEntries(handle, walk.requests, threads, observer);
        if (!control_.stopRequested())
            rows.writtenUpTo(static_cast<long>(walk.requests.size()));
    }

    // A path inside the panel's folder as the user knows it there.
    std::string shown(const std::string& path) const {
        const std::string prefix = joinPath(job_.Folder, "");
        return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    }

    const ZipJob& job_;
    ZipJobHost& host_;
    Job& control_;
    ZipFailures failures_;
};

} // namespace

void runPack(const ZipJob& job, ZipJobHost& host, Job& control) {
    PackRun(job, host, control).run();
}
