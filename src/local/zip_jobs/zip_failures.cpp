#include "local/zip_jobs/zip_failures.h"

#include <cstdio>

namespace zip = tarvo::zip;

namespace {
constexpr std::size_t kReportedLines = 20;
} // namespace

void ZipFailures::add(const std::string& what, const std::string& reason) {
    lines_.push_back(what + ": " + reason);
}

std::string ZipFailures::report(const std::string& heading) const {
    std::string text = heading + "\n";
    for (std::size_t i = 0; i < lines_.size() && i < kReportedLines; ++i)
        text += "\n" + lines_[i];
    if (lines_.size() > kReportedLines)
        text += "\n...";
    return text;
}

std::string zipResultText(zip::ZipResult result) {
    switch (result) {
    case zip::ZipCannotOpen:
        return "could not be opened or created";
    case zip::ZipNoMemory:
        return "not enough memory";
    case zip::ZipWriteError:
        return "could not be read or written";
    case zip::ZipCorrupt:
        return "damaged, or its name cannot be used here";
    case zip::ZipReadError:
        return "could not be read";
    case zip::ZipPasswordRequired:
        return "encrypted";
    case zip::ZipBadArguments:
        return "its name cannot be stored";
    case zip::ZipEarlierError:
        return "the archive could not be written";
    case zip::ZipChangeNotAllowed:
        return "changed while it was packed";
    case zip::ZipFlateFailed:
        return "damaged data (CRC or size do not match)";
    case zip::ZipCancelled:
        return "cancelled";
    default:
        break;
    }
    char code[32];
    std::snprintf(code, sizeof code, "zip error 0x%X", result);
    return code;
}
