#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reads a regular file of at most maxBytes whole. Anything else (missing, a folder, a pipe that
// would block, a device, a larger file) gives nothing, with the reason in error.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::string& error);
