#include "support/zip_archives.h"

#include "local/zip/zip_api.h"

#include <cstdlib>

namespace zip = tarvo::zip;

namespace {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

} // namespace

std::vector<std::string> archiveEntries(const std::string& archive) {
    std::vector<std::string> names;
    zip::ZipHandle handle = zip::ZipOpen(archive);
    if (handle == nullptr)
        return names;
    zip::ZipEntryInfo info;
    zip::ZipGetEntry(handle, -1, info);
    for (int index = 0, count = info.index; index < count; ++index)
        if (zip::ZipGetEntry(handle, index, info) == zip::ZipOk)
            names.push_back(info.name);
    zip::ZipCloseReader(handle);
    return names;
}

bool unzipTestPasses(const std::string& archive) {
    return std::system(("unzip -tqq " + quoted(archive) + " >/dev/null 2>&1").c_str()) == 0;
}

void writeArchive(const std::string& archive,
                  const std::vector<std::pair<std::string, std::string>>& entries,
                  const std::string& damaged) {
    std::string command = "python3 " +
                          quoted(std::string(TARVO_TEST_SUPPORT_DIR) + "/write_zip.py") + " " +
                          quoted(archive);
    if (!damaged.empty())
        command += " --damage " + quoted(damaged);
    for (const auto& [name, content] : entries)
        command += " " + quoted(name) + " " + quoted(content);
    std::system(command.c_str());
}
