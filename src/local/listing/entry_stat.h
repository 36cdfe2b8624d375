#pragma once

#include "local/listing/search_record.h"

#include <optional>
#include <string>

namespace tarvo::listing {

// Builds the record of the entry `name` of the open folder dirFd, given the kind the folder
// listing reported for it (a DT_* value). Empty when the entry no longer exists.
std::optional<SearchRecord> statEntry(int dirFd, std::string name, unsigned char direntType);

} // namespace tarvo::listing
