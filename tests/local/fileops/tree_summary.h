#pragma once

#include <string>

// One line per entry below `root` (sorted): relative path, kind, permission bits, modification
// time in nanoseconds, and the content of a file (as its size and a digest) or the target of a
// link. Two trees are copies of each other when their summaries are equal. Links are never
// followed.
std::string treeSummary(const std::string& root);
