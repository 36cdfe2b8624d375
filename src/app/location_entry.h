#pragma once

#include <string>
#include <vector>

// One line of the history and favourites files: a local folder, or a remote folder + "@" + the
// name of a saved FTP site. Linux paths may hold "@" and need no drive prefix, so a line is
// remote exactly when the text after its last "@" names a saved site.
struct LocationEntry {
    bool Remote = false;
    std::string Folder; // the local path (the whole line), or the remote folder
    std::string Site;   // the saved site of a remote line

    static LocationEntry parse(const std::string& line, const std::vector<std::string>& savedSites);
    static LocationEntry remote(const std::string& folder, const std::string& site);

    std::string line() const { return Remote ? Folder + "@" + Site : Folder; }
};

// A favourite's menu caption: the part of the line after its last "/", or the whole line.
std::string favoriteCaption(const std::string& line);

// A history item's caption: a local line as it is; a remote one as "ftp://" + host + folder when
// the site's host is known, else as its line.
std::string historyCaption(const LocationEntry& entry, const std::string& host);

// A caption as a menu item shows it: "&" would otherwise mark the next letter as a shortcut.
std::string menuText(const std::string& caption);
