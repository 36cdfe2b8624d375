#pragma once

// Entry names are UTF-8 when they say so (general-purpose flag bit 11) or when their bytes
// form valid UTF-8; older archives hold names in code page 437.

#include <string>

namespace tarvo::zip {

bool isAscii(const std::string& text);
bool isValidUtf8(const std::string& text);
// Code page 437 bytes as UTF-8 text.
std::string utf8FromCp437(const std::string& bytes);

} // namespace tarvo::zip
