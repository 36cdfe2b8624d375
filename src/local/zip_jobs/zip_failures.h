#pragma once

#include "local/zip/zip_result.h"

#include <string>
#include <vector>

// The entries a zip job could not pack or unpack, each with its reason, for the one box the
// job shows at its end.
class ZipFailures {
public:
    void add(const std::string& what, const std::string& reason);
    bool empty() const { return lines_.empty(); }
    const std::vector<std::string>& lines() const { return lines_; }
    // The heading, a blank line and one line per failure: at most 20, then "...".
    std::string report(const std::string& heading) const;

private:
    std::vector<std::string> lines_;
};

// Why a call of the zip layer failed, in a few words.
std::string zipResultText(tarvo::zip::ZipResult result);
