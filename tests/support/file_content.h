#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// Whole-file reads and writes for checking what the code under test wrote.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);
// The lines of a text file written with CR LF, and such a file's text.
std::vector<std::string> crlfLines(const std::filesystem::path& path);
std::string crlfText(const std::vector<std::string>& lines);
// How many hidden temporary files of ours a folder holds: a failed or cancelled write leaves none.
int leftoverTempFiles(const std::filesystem::path& folder);
// Bytes that do not compress, the same for the same seed.
std::string randomBytes(std::size_t size, unsigned seed);
