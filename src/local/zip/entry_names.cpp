#include "local/zip/entry_names.h"

#include "local/zip/text_encoding.h"
#include "local/zip/zip_records.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <string_view>

namespace tarvo::zip {

namespace {

constexpr std::array<std::string_view, 8> StoredExtensions = {
    ".z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz",
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool startsWithDrive(const std::string& name) {
    return name.size() >= 2 && name[1] == ':';
}

} // namespace

ZipResult makeArchiveName(const std::string& given, bool folder, ArchiveName& out) {
    std::string name = given;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (folder && !name.empty() && name.back() != '/') {
        name += '/';
    }
    const bool fitsHeader = name.size() <= std::numeric_limits<std::uint16_t>::max();
    if (name.empty() || !fitsHeader || name.find('\0') != std::string::npos) {
        return ZipBadArguments;
    }
    // Bit 11 tells readers the name is UTF-8. Names that are not valid UTF-8 keep their bytes
    // without it, which is how other tools write such names too.
    out.flags = !isAscii(name) && isValidUtf8(name) ? FlagUtf8Name : 0;
    out.bytes = std::move(name);
    return ZipOk;
}

bool hasStoredExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string_view extension = std::string_view(name).substr(dot);
    return std::any_of(
        StoredExtensions.begin(), StoredExtensions.end(),
        [&](std::string_view stored) { return equalsIgnoringCase(extension, stored); });
}

std::string cleanEntryName(const std::string& raw, bool utf8Flag) {
    std::string name = utf8Flag || isValidUtf8(raw) ? raw : utf8FromCp437(raw);
    std::replace(name.begin(), name.end(), '\\', '/');
    for (;;) {
        if (startsWithDrive(name)) {
            name.erase(0, 2);
        } else if (!name.empty() && name.front() == '/') {
            name.erase(0, 1);
        } else {
            return name;
        }
    }
}

std::vector<std::string> pathComponents(const std::string& path) {
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string component = path.substr(start, end - start);
        if (!component.empty() && component != ".") {
            components.push_back(std::move(component));
        }
        start = end + 1;
    }
    return components;
}

std::optional<std::vector<std::string>> safeComponents(const std::string& cleanedName) {
    std::vector<std::string> components = pathComponents(cleanedName);
    const bool parentStep =
        std::find(components.begin(), components.end(), "..") != components.end();
    if (parentStep || cleanedName.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return components;
}

} // namespace tarvo::zip
