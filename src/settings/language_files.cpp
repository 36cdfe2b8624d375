#include "settings/language_files.h"

#include "platform/atomic_file.h"
#include "platform/name_mask.h"
#include "platform/posix/path.h"
#include "platform/program_folder.h"
#include "settings/language_document.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

std::string languageFolder() {
    return joinPath(programFolder(), "lang");
}

std::string activeLanguagePath() {
    return joinPath(programFolder(), "Language.xml");
}

std::vector<std::string> listLanguageFiles(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return names;
    const NameMask mask("*.xml");
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (mask.matches(name) && ::stat(joinPath(folder, name).c_str(), &info) == 0 &&
            S_ISREG(info.st_mode))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string installLanguageFile(const std::string& source, const std::string& target) {
    try {
        if (!readLanguageFile(source))
            return source + " is not a language document (its root element is not <Language>).";
    } catch (const std::exception& error) {
        return source + ": " + error.what();
    }
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return source + ": " + std::strerror(errno);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (const std::string failure = replaceFileContent(target, content); !failure.empty())
        return target + ": " + failure;
    return {};
}
