#pragma once

#include "ftp/site_record.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The current FTP site profile and the saved sites: one record file per site and the list of
// their names, config/lista.txt, in the program folder. Every file is replaced whole through a
// temporary file, so a failed save leaves the old one as it was.
class IOFile {
public:
    // Replaces a file whole, with the permission bits given; the reason of a failure, empty on
    // success. Tests give one that fails.
    using FileWriter =
        std::function<std::string(const std::string& path, std::string_view bytes, unsigned mode)>;

    // A save or delete that did not reach the disk.
    struct Failure {
        std::string path;
        std::string reason;
    };

    explicit IOFile(FileWriter writer = {});

    // The names of config/lista.txt, one per line, in order; none when the file is missing.
    std::vector<std::string> LoadSiteList() const;

    // Stores the site under its name (which must pass isSiteFileName, its texts unstorableText)
    // and then, when given, the new site list; the record is readable by its owner only. On
    // success the site becomes the current profile, with a keep-alive interval below 10 s
    // raised to 30 s. On failure nothing after the failing file is written.
    std::optional<Failure> SaveSite(SiteRecord site, const std::vector<std::string>* newList);

    // Rewrites the site list (a deleted site's record file stays).
    std::optional<Failure> SaveSiteList(const std::vector<std::string>& names);

    // The saved site of that name, which also becomes the current profile; nothing, and the
    // profile as it was, when no complete record of that name exists.
    std::optional<SiteRecord> LoadSite(const std::string& name);

    // The saved site of that name, leaving the current profile alone.
    std::optional<SiteRecord> ReadSite(const std::string& name) const;

    // A copy of the current profile; the remote worker reads it while the user may change it.
    SiteRecord currentSite() const;
    // The folder the next connect starts in.
    void setStartDir(const std::string& folder);
    // Makes the site the current profile (the site settings apply it).
    void setCurrentSite(const SiteRecord& site);

    const std::string ExePath;

private:
    std::string configPath(const std::string& name) const;
    void makeConfigFolder() const;

    FileWriter writer_;
    mutable std::mutex mutex_;
    SiteRecord profile_;
};
