#pragma once

// Helpers of the zip layer's tests: files with pinned times, running the
// peer tools, and packing a folder tree the way the packing job does.

#include "local/zip/zip_api.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarvo::zip::test {

// Sets TZ for the lifetime of the object, so local times are predictable.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

void setTimes(const std::string& path, std::int64_t accessTime, std::int64_t modificationTime);
std::int64_t modificationTime(const std::string& path);
bool exists(const std::string& path);
// Unix seconds of a local date and time in the current TZ.
std::int64_t localTime(int year, int month, int day, int hour, int minute, int second);

struct CommandResult {
    int status = -1;
    std::string output; // stdout and stderr
};
// Runs a shell command line.
CommandResult run(const std::string& command);
std::string quoted(const std::string& text);
inline const std::string Python = "/usr/bin/python3";
// Python's zipfile testzip() on an archive: status 0 when every entry reads back intact.
CommandResult pythonTestZip(const std::string& archive);
// A file of the test sources (tests/local/zip).
std::string testSourceFile(const std::string& name);

// Adds a folder tree to a writer as the packing job does: each folder entry before its
// contents, names in byte order.
void packTree(ZipHandle writer, const std::string& folder, const std::string& name);
// Extracts every entry below `folder` as the unpacking job does: folder + "/" + entry name.
void unpackAll(const std::string& archive, const std::string& folder);

// Same files and folders with the same contents; modification times of files equal to the
// second when `compareTimes`.
::testing::AssertionResult sameTree(const std::string& expected, const std::string& actual,
                                    bool compareTimes);

// Little-endian fields of a file's bytes.
struct FileBytes {
    explicit FileBytes(const std::string& path) : bytes(readFile(path)) {}
    std::uint16_t u16(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;
    std::uint64_t u64(std::size_t at) const;
    std::string text(std::size_t at, std::size_t size) const { return bytes.substr(at, size); }
    std::string bytes;
};

} // namespace tarvo::zip::test
