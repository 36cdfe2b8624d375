#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reads a regular file of at most maxBytes whole. Anything else (missing, a folder, a pipe that
// would block, a device, a larger file) gives nothing, with the reason in error.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::string& error);

// How large a file the program keeps in its own folder (a history, the favourites, env.dat)
// may be: far above what it writes there, far below what would slow every reading of it.
inline constexpr std::size_t kProgramFileLimit = std::size_t{1} << 20;

// Reads such a file whole, as readWholeFile does. A missing file is no problem: nothing, with
// problem empty. Any other failure gives nothing and a problem text that names the file.
std::optional<std::string> readProgramFile(const std::string& path, std::string& problem);
