#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// Whole-file reads and writes for checking what the code under test wrote.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);
// Bytes that do not compress, the same for the same seed.
std::string randomBytes(std::size_t size, unsigned seed);
