#pragma once

#include <mutex>
#include <string>
#include <vector>

// One FTP site profile.
struct SiteRecord {
    std::string Name = "default";
    std::string Host = "127.0.0.1";
    std::string User = "anonymous";
    std::string Password = "quillmoss";
    int Port = 21;
    std::string StartDir;
    bool Passive = false;
    bool KeepAlive = false;
    int NoopInterval = 900; // cycles of the remote worker, 100 ms each
};

// The current FTP site profile and the saved sites under config/ in the program folder.
class IOFile {
public:
    IOFile();

    // The names of config/lista.txt, one per line, in order; none when the file is missing.
    std::vector<std::string> LoadSiteList() const;

    // A copy of the current profile; the remote worker reads it while the user may change it.
    SiteRecord currentSite() const;

    const std::string ExePath;

private:
    mutable std::mutex mutex_;
    SiteRecord profile_;
};
