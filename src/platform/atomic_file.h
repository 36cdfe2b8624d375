#pragma once

#include <optional>
#include <string>
#include <string_view>

// Replaces the file at path by content as a whole: the text goes to a temporary file in the same
// folder, is flushed to disk and then renamed over the old file, so a crash, a kill or a full disk
// leaves either the old file or the new one, never a part, and no temporary file behind.
// An existing file without its owner's write permission is left alone (decided by the mode bits,
// since root may write anything). Returns the reason when the file was not replaced.
std::optional<std::string> replaceFile(const std::string& path, std::string_view content);
