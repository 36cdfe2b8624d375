#include "ftp/edited_files.h"

#include "frontend/frontend.h"
#include "ftp/ftp_com.h"
#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "settings/language_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kYesToAll = 10;

} // namespace

std::string MakeLocalFileName(std::string name) {
    for (char& c : name) {
        if (std::string_view(":?*<>|/\\\"").find(c) != std::string_view::npos)
            c = '_';
    }
    return name;
}

std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
        static_cast<std::int64_t>(info.st_size), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::string> EditedCopies::createCopy(const std::string& folder,
                                                    const std::string& site,
                                                    const std::string& name) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    const std::string safeName = MakeLocalFileName(name);
    const std::string safeSite = MakeLocalFileName(site);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int number = 0;
        {
            std::lock_guard lock(mutex_);
            number = ++counter_;
        }
        const std::string path =
            joinPath(folder, safeSite + "_" + std::to_string(number) + "_" + safeName);
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

void EditedCopies::add(EditList record) {
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(record));
}

std::vector<EditList> EditedCopies::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

bool EditedCopies::watching() const {
    std::lock_guard lock(mutex_);
    return std::ranges::any_of(records_, [](const EditList& record) { return record.Watched; });
}

int EditedCopies::upload(FTPCom& session, const EditList& record) {
    // A copy goes back only to the server it came from; connected elsewhere is no connection.
    if (session.FtpPanel <= 0 || session.serverIdentity() != record.Server)
        return -2;
    // Saving the copy is the user's word to replace the remote file: no overwrite question.
    session.UploadAnswer = kYesToAll;
    int result = session.send(record.RemotePath, record.LocalPath);
    if (result != 1) {
        session.UploadAnswer = kYesToAll;
        result = session.send(record.RemotePath, record.LocalPath);
    }
    session.UploadAnswer = 0;
    return result;
}

void EditedCopies::check(FTPCom& session, Frontend& screen, const LanguageTable& texts) {
    for (std::size_t index = 0;; ++index) {
        EditList record;
        {
            std::lock_guard lock(mutex_);
            if (index >= records_.size())
                return;
            record = records_[index];
        }
        if (!record.Watched)
            continue;
        const auto stamp = stampOf(record.LocalPath);
        if (!stamp || *stamp == record.UploadedTime)
            continue; // a vanished copy waits: an editor may be writing it anew
        // Taken before the upload: a save during it changes the stamp again and goes next time.
        record.CurrentTime = *stamp;
        record.UploadedTime = *stamp;
        session.beginBatch(nullptr, "Copying");
        int result = upload(session, record);
        while (result != 1 &&
               screen.messages().show(
                   {"Tarvo Manager", texts.translate("ReUploadField") + ":\n\n" + record.LocalPath,
                    MessageButton::Yes | MessageButton::No, MessageIcon::Question}) ==
                   MessageButton::Yes)
            result = upload(session, record);
        if (result == 1 && session.List() > -2)
            session.FillGrid("*.*");
        if (result < 0)
            record.Watched = false;
        if (result != 1)
            record.UploadedTime = {}; // not on the server: kept at exit
        std::lock_guard lock(mutex_);
        records_[index] = record;
    }
}

std::vector<std::string> EditedCopies::removeUploadedCopies() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> kept;
    for (const EditList& record : records_) {
        const auto stamp = stampOf(record.LocalPath);
        if (!stamp)
            continue;
        if (*stamp == record.UploadedTime)
            ::unlink(record.LocalPath.c_str());
        else
            kept.push_back(record.LocalPath);
    }
    return kept;
}
