#pragma once

#include "local/listing/search_record.h"

#include <string>
#include <vector>

// The names of listed entries, in their order.
inline std::vector<std::string> namesOf(const std::vector<tarvo::listing::SearchRecord>& records) {
    std::vector<std::string> names;
    for (const auto& record : records)
        names.push_back(record.Name);
    return names;
}
