#pragma once

#include "settings/settings_file.h"

#include <ostream>

// Readable failure messages for comparisons of RunSettings.
inline void PrintTo(const RunSettings& s, std::ostream* out) {
    *out << "{\"" << s.SortTypeLeft << "\", \"" << s.SortTypeRight << "\", " << s.StandardIcons
         << ", \"" << s.LeftTabDir << "\", \"" << s.RightTabDir << "\", " << s.LeftBriefView << ", "
         << s.RightBriefView << "}";
}
