#pragma once

#include <string>

// The folder a panel opens at start from the one the settings kept: a stored text that is no
// absolute path (empty, the blank of a drive that was not ready, a relative path) gives the home
// folder; a folder that no longer exists or cannot be listed gives its nearest ancestor that can.
// Touches the file system: run it on a worker.
std::string startFolder(const std::string& stored, const std::string& home);
