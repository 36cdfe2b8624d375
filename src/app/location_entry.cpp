#include "app/location_entry.h"

#include "platform/posix/path.h"

#include <algorithm>

LocationEntry LocationEntry::parse(const std::string& line,
                                   const std::vector<std::string>& savedSites) {
    const auto at = line.find_last_of('@');
    if (at != std::string::npos) {
        const std::string site = line.substr(at + 1);
        if (std::find(savedSites.begin(), savedSites.end(), site) != savedSites.end())
            return remote(line.substr(0, at), site);
    }
    return {false, line, {}};
}

LocationEntry LocationEntry::remote(const std::string& folder, const std::string& site) {
    return {true, folder, site};
}

std::string favoriteCaption(const std::string& line) {
    return nameOf(line);
}

std::string historyCaption(const LocationEntry& entry, const std::string& host) {
    if (!entry.Remote || host.empty())
        return entry.line();
    return "ftp://" + host + entry.Folder;
}

std::string menuText(const std::string& caption) {
    std::string text;
    for (const char c : caption) {
        text += c;
        if (c == '&')
            text += '&';
    }
    return text;
}
