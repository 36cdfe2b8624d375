#include "ftp/site_store.h"

#include "platform/program_folder.h"

#include <fstream>
#include <sstream>

IOFile::IOFile() : ExePath(programFolder()) {}

std::vector<std::string> IOFile::LoadSiteList() const {
    std::ifstream file(joinPath(ExePath, "config/lista.txt"), std::ios::binary);
    std::vector<std::string> names;
    if (!file)
        return names;
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    // Lines end with CR LF, CR or LF; every line is a name, an empty one too, but a line end
    // after the last line adds nothing.
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        names.push_back(line);
        line.clear();
    }
    if (!line.empty())
        names.push_back(line);
    return names;
}

SiteRecord IOFile::currentSite() const {
    std::lock_guard lock(mutex_);
    return profile_;
}
