#pragma once

#include <optional>
#include <string>
#include <string_view>

// Replaces the file at path with content, so that at every moment the file is either wholly old
// or wholly new: the content goes into a temporary file in the same folder, reaches the disk,
// and is renamed over the old file, whose permission bits it keeps. On failure the old file
// stays as it was, no temporary file is left, and the reason is returned; empty on success.
// A file whose owner has no write permission is not replaced (whoever runs the program).
// With mode given, the file gets exactly those permission bits instead.
std::string replaceFileContent(const std::string& path, std::string_view content,
                               std::optional<unsigned> mode = std::nullopt);
