#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reads a regular file of at most maxBytes whole. Anything else (missing, a folder, a pipe that
// would block, a device, a larger file) gives nothing, with the reason in error.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::string& error);

// Replaces the file at path with bytes: they go to a temporary file in the same folder, which
// is flushed to the disk and then renamed over the old one, so a reader sees the old content or
// the new one, never a part. The file gets exactly the permission bits given. On failure the
// old file is left as it was and error holds the reason.
bool writeWholeFile(const std::string& path, std::string_view bytes, unsigned mode,
                    std::string& error);
