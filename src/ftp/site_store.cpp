#include "ftp/site_store.h"

#include "platform/atomic_file.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "platform/whole_file.h"

#include <sys/stat.h>

namespace {

constexpr unsigned kPrivateFile = 0600; // a record holds a password, merely scrambled
constexpr unsigned kListFile = 0644;
constexpr std::size_t kMaxListSize = 16 * 1024 * 1024;

std::string listText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

} // namespace

IOFile::IOFile(FileWriter writer) : ExePath(programFolder()), writer_(std::move(writer)) {
    if (!writer_)
        writer_ = [](const std::string& path, std::string_view bytes, unsigned mode) {
            return replaceFileContent(path, bytes, mode);
        };
}

std::string IOFile::configPath(const std::string& name) const {
    return joinPath(joinPath(ExePath, "config"), name);
}

// A program folder copied without its config folder gets one at the first save; private, as
// the records hold passwords. What stands in the way shows as the write's own error.
void IOFile::makeConfigFolder() const {
    ::mkdir(joinPath(ExePath, "config").c_str(), 0700);
}

std::vector<std::string> IOFile::LoadSiteList() const {
    std::string error;
    const auto text = readWholeFile(configPath("lista.txt"), kMaxListSize, error);
    std::vector<std::string> names;
    if (!text)
        return names;
    // Lines end with CR LF, CR or LF; every line is a name, an empty one too, but a line end
    // after the last line adds nothing.
    std::string line;
    for (std::size_t i = 0; i < text->size(); ++i) {
        const char c = (*text)[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n')
            ++i;
        names.push_back(line);
        line.clear();
    }
    if (!line.empty())
        names.push_back(line);
    return names;
}

std::optional<IOFile::Failure> IOFile::SaveSite(SiteRecord site,
                                                const std::vector<std::string>* newList) {
    site.NoopInterval = usableNoopInterval(site.NoopInterval);
    const std::string recordPath = configPath(site.Name);
    if (!isSiteFileName(site.Name) || unstorableText(site))
        return Failure{recordPath, "the site cannot be stored"};
    makeConfigFolder();
    if (std::string error = writer_(recordPath, encodeSiteRecord(site), kPrivateFile);
        !error.empty())
        return Failure{recordPath, std::move(error)};
    if (newList) {
        if (auto failure = SaveSiteList(*newList))
            return failure;
    }
    std::lock_guard lock(mutex_);
    profile_ = std::move(site);
    return std::nullopt;
}

std::optional<IOFile::Failure> IOFile::SaveSiteList(const std::vector<std::string>& names) {
    const std::string path = configPath("lista.txt");
    makeConfigFolder();
    if (std::string error = writer_(path, listText(names), kListFile); !error.empty())
        return Failure{path, std::move(error)};
    return std::nullopt;
}

std::optional<SiteRecord> IOFile::ReadSite(const std::string& name) const {
    if (!isSiteFileName(name))
        return std::nullopt;
    std::string error;
    const auto bytes = readWholeFile(configPath(name), kSiteRecordSize, error);
    return bytes ? decodeSiteRecord(*bytes) : std::nullopt;
}

std::optional<SiteRecord> IOFile::LoadSite(const std::string& name) {
    auto site = ReadSite(name);
    if (site) {
        std::lock_guard lock(mutex_);
        profile_ = *site;
    }
    return site;
}

SiteRecord IOFile::currentSite() const {
    std::lock_guard lock(mutex_);
    return profile_;
}

void IOFile::setStartDir(const std::string& folder) {
    std::lock_guard lock(mutex_);
    profile_.StartDir = folder;
}

void IOFile::setCurrentSite(const SiteRecord& site) {
    std::lock_guard lock(mutex_);
    profile_ = site;
}
