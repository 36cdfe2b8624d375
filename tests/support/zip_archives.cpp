#include "support/zip_archives.h"

#include "local/zip/zip_api.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace zip = tarvo::zip;

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> chunk{};
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
        result.output.append(chunk.data(), got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

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
    return runCommand("unzip -tqq " + shellQuoted(archive)).status == 0;
}

void writeArchive(const std::string& archive,
                  const std::vector<std::pair<std::string, std::string>>& entries,
                  const std::string& damaged) {
    std::string command = "python3 " +
                          shellQuoted(std::string(TARVO_TEST_SUPPORT_DIR) + "/write_zip.py") + " " +
                          shellQuoted(archive);
    if (!damaged.empty())
        command += " --damage " + shellQuoted(damaged);
    for (const auto& [name, content] : entries)
        command += " " + shellQuoted(name) + " " + shellQuoted(content);
    runCommand(command);
}
