#pragma once

#include <string>
#include <utility>
#include <vector>

// Archives for the tests of the zip layer, the zip jobs and the archive viewer.

struct CommandResult {
    int status = -1;
    std::string output; // stdout and stderr
};
// Runs a shell command line.
CommandResult runCommand(const std::string& command);
// The text as one word of a shell command line.
std::string shellQuoted(const std::string& text);

// The entries' names in archive order, as the zip layer reads them; none when it cannot open it.
std::vector<std::string> archiveEntries(const std::string& archive);
// unzip -t finds every entry intact.
bool unzipTestPasses(const std::string& archive);
// Writes an archive of (name, content) entries through Python's zipfile, names as given
// (a name ending in "/" is a folder); `damaged` names an entry whose data no longer matches
// its CRC.
void writeArchive(const std::string& archive,
                  const std::vector<std::pair<std::string, std::string>>& entries,
                  const std::string& damaged = {});
