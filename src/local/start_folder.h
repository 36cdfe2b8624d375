#pragma once

#include <string>

// Where a panel starts, from the folder the settings kept. Two steps, so that the screen can show
// the folder at once while the file system is asked on a worker:

// The stored folder when it is an absolute path (normalised, no trailing "/"); otherwise (empty,
// the blank of a drive that was not ready, a relative path) the home folder. No file system
// access.
std::string startFolderOf(const std::string& stored, const std::string& home);

// The folder itself when it can be listed, else its nearest ancestor that can ("/" at worst).
// Touches the file system: run it on a worker.
std::string nearestListableFolder(const std::string& folder);
