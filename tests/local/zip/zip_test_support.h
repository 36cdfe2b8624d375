#pragma once

// Helpers of the zip layer's tests: files with pinned times, the peer tools, and packing and
// unpacking a folder tree the way the jobs do.

#include "local/zip/byte_order.h"
#include "local/zip/zip_api.h"
#include "support/file_content.h"
#include "support/scoped_time_zone.h"
#include "support/temp_tree.h"
#include "support/zip_archives.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvo::zip::test {

void setTimes(const std::string& path, std::int64_t accessTime, std::int64_t modificationTime);
std::int64_t modificationTime(const std::string& path);
// Unix seconds of a local date and time in the current TZ.
std::int64_t localTime(int year, int month, int day, int hour, int minute, int second);

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
    std::uint16_t u16(std::size_t at) const { return getU16(field(at, 2)); }
    std::uint32_t u32(std::size_t at) const { return getU32(field(at, 4)); }
    std::uint64_t u64(std::size_t at) const { return getU64(field(at, 8)); }
    std::string text(std::size_t at, std::size_t size) const { return bytes.substr(at, size); }
    const std::uint8_t* field(std::size_t at, std::size_t size) const {
        if (at + size > bytes.size())
            throw std::out_of_range("a field past the end of the file");
        return reinterpret_cast<const std::uint8_t*>(bytes.data()) + at;
    }
    std::string bytes;
};

} // namespace tarvo::zip::test
