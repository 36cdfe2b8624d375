#pragma once

#include <string>
#include <utility>
#include <vector>

// Archives for the tests of the zip jobs and the archive viewer.

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
