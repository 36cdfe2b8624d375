#pragma once

// Entry names on their way into an archive and back out of it.

#include "local/zip/zip_result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::zip {

struct ArchiveName {
    std::string bytes;
    std::uint16_t flags = 0; // FlagUtf8Name for a non-ASCII UTF-8 name, else 0
};

// The name as it is written: "\" becomes "/" and a folder's name ends in "/". An empty name,
// a name holding a NUL byte, and a name longer than a header can hold give ZipBadArguments;
// a name is never shortened.
ZipResult makeArchiveName(const std::string& given, bool folder, ArchiveName& out);

// Whether a name's extension marks data that is compressed already (".zip", ".gz", ...), so
// the entry is stored rather than deflated.
bool hasStoredExtension(const std::string& name);

// The name of an entry read from an archive: UTF-8 text with "/" separators, without leading
// drive parts ("C:") and leading "/".
std::string cleanEntryName(const std::string& raw, bool utf8Flag);

// The components of a "/"-separated path, without empty and "." ones.
std::vector<std::string> pathComponents(const std::string& path);

// The path components of a cleaned name ("." and empty ones dropped, so "./" has none), or
// nothing when the name cannot be extracted safely: a ".." component or a NUL byte.
std::optional<std::vector<std::string>> safeComponents(const std::string& cleanedName);

} // namespace tarvo::zip
