#include "local/zip_jobs/unpack_job.h"

#include "local/zip/zip_api.h"
#include "local/zip_jobs/zip_failures.h"
#include "platform/message_service.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace zip = tarvo::zip;

namespace {

const std::string kTitle = "Tarvo Manager";

// A name that still climbs out of the folder it is unpacked into after the layer cleaned it.
bool leavesFolder(const std::string& name) {
    return ("/" + name + "/").find("/../") != std::string::npos;
}

class UnpackRun {
public:
    UnpackRun(const ZipJob& job, ZipJobHost& host, Job& control)
        : job_(job), host_(host), control_(control) {}

    void run() {
        zip::UniqueZipHandle handle(zip::ZipOpen(job_.ArchivePath));
        if (const std::string refusal = refusalOf(handle.get()); !refusal.empty()) {
            host_.messages().show({kTitle, refusal + "\n\n" + job_.ArchivePath, MessageButton::Ok,
                                   MessageIcon::Information});
        } else {
            unpackEntries(handle.get());
            if (!failures_.empty())
                host_.messages().show({kTitle,
                                       failures_.report(host_.translate("OperationNotAllowed")),
                                       MessageButton::Ok, MessageIcon::Information});
            else
                host_.beep();
        }
        // The remote worker re-reads the panels; when it is busy, this thread does, so that
        // no refresh is lost.
        if (!host_.postPanelRefresh())
            host_.rereadPanels();
    }

private:
    enum class Decision { Write, Skip, Stop };

    // Why nothing is unpacked: the archive cannot be read, or is not the one listed; empty
    // when it is fine.
    std::string refusalOf(zip::ZipHandle handle) const {
        if (handle == nullptr) {
            struct stat status {};
            if (::stat(job_.ArchivePath.c_str(), &status) != 0 && errno == ENOENT)
                return "Nothing was unpacked: the archive is missing.";
            return host_.translate("OperationNotAllowed");
        }
        // Replaced, rewritten or grown since it was listed: its entries are not the ones shown.
        if (zip::FileStamp opened; job_.ListedArchive && (!zip::ZipReaderFile(handle, opened) ||
                                                          opened != *job_.ListedArchive))
            return "Nothing was unpacked: the archive changed after it was listed.";
        return {};
    }

    bool taken(int index) const {
        return !job_.Selection ||
               std::binary_search(job_.Selection->begin(), job_.Selection->end(), index);
    }

    void unpackEntries(zip::ZipHandle handle) {
        zip::ZipEntryInfo info;
        zip::ZipGetEntry(handle, -1, info);
        const int count = info.index;
        for (int index = 0; index < count && !control_.stopRequested(); ++index) {
            if (!taken(index))
                continue;
            if (job_.Selection)
                host_.unpackedEntry(index);
            if (const zip::ZipResult read = zip::ZipGetEntry(handle, index, info);
                read != zip::ZipOk) {
                failures_.add(job_.ArchivePath + " (" + std::to_string(index) + ")",
                              zipResultText(read));
                continue;
            }
            const std::string target = job_.UnpackFolder + info.name;
            host_.showZipStatus("Unpacking (" + std::to_string(index) + "): " + target);
            if (leavesFolder(info.name)) {
                failures_.add(target, "the name leads out of the target folder");
                continue;
            }
            const Decision decision = decide(info, target);
            if (decision == Decision::Stop)
                break;
            if (decision == Decision::Skip)
                continue;
            if (const zip::ZipResult written = zip::ZipExtractToFile(handle, index, target);
                written != zip::ZipOk)
                failures_.add(target, zipResultText(written));
        }
    }

    Decision decide(const zip::ZipEntryInfo& info, const std::string& target) {
        struct stat existing {};
        if ((info.attributes & zip::ZipAttrDirectory) != 0 ||
            ::lstat(target.c_str(), &existing) != 0)
            return Decision::Write;
        if (sticky_ == MessageButton::YesToAll)
            return Decision::Write;
        if (sticky_ == MessageButton::NoToAll)
            return Decision::Skip;
        host_.setZipState(-1);
        const MessageButton answer = host_.messages().show(
            {kTitle, host_.translate("Overwrite") + "\n\n" + target + "?\n",
             MessageButton::Yes | MessageButton::YesToAll | MessageButton::No |
                 MessageButton::NoToAll | MessageButton::Cancel,
             MessageIcon::None});
        host_.setZipState(1);
        switch (answer) {
        case MessageButton::YesToAll:
        case MessageButton::NoToAll:
            sticky_ = answer;
            return answer == MessageButton::YesToAll ? Decision::Write : Decision::Skip;
        case MessageButton::Yes:
            return Decision::Write;
        case MessageButton::No:
            return Decision::Skip;
        default:
            return Decision::Stop;
        }
    }

    const ZipJob& job_;
    ZipJobHost& host_;
    Job& control_;
    ZipFailures failures_;
    std::optional<MessageButton> sticky_;
};

} // namespace

void runUnpack(const ZipJob& job, ZipJobHost& host, Job& control) {
    UnpackRun(job, host, control).run();
}
