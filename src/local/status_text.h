#pragma once

#include <string>

// The name the status line shows for a path: the part after the last "/", cut to its first 25
// characters followed by "..." when longer. Counted in characters of UTF-8, so a cut never
// splits one; a byte that is not UTF-8 counts as a character of its own.
std::string shortenedName(const std::string& path);
