#include "zip_test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace tarvo::zip::test {

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* current = std::getenv("TZ")) {
        previous_ = current;
        hadPrevious_ = true;
    }
    ::setenv("TZ", zone, 1);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (hadPrevious_) {
        ::setenv("TZ", previous_.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

void setTimes(const std::string& path, std::int64_t accessTime, std::int64_t modificationTime) {
    const struct timespec times[2] = {{static_cast<time_t>(accessTime), 0},
                                      {static_cast<time_t>(modificationTime), 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::int64_t modificationTime(const std::string& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mtim.tv_sec;
}

bool exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::int64_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> chunk{};
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        result.output.append(chunk.data(), got);
    }
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

CommandResult pythonTestZip(const std::string& archive) {
    return run(Python +
               " -c 'import sys, zipfile; "
               "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' " +
               quoted(archive));
}

std::string testSourceFile(const std::string& name) {
    const char* source = std::getenv("TARVO_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/local/zip/" + name;
}

namespace {

std::vector<fs::directory_entry> sortedEntries(const std::string& folder) {
    std::vector<fs::directory_entry> entries(fs::directory_iterator(folder), {});
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path() < b.path(); });
    return entries;
}

} // namespace

void packTree(ZipHandle writer, const std::string& folder, const std::string& name) {
    ASSERT_EQ(ZipAddDirectory(writer, name), ZipOk) << name;
    for (const fs::directory_entry& entry : sortedEntries(folder)) {
        const std::string childName = name + "/" + entry.path().filename().string();
        if (entry.is_directory()) {
            packTree(writer, entry.path().string(), childName);
        } else {
            ASSERT_EQ(ZipAddFile(writer, childName, entry.path().string()), ZipOk) << childName;
        }
    }
}

void unpackAll(const std::string& archive, const std::string& folder) {
    ZipHandle reader = ZipOpen(archive);
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ZipGetEntry(reader, -1, info);
    const int count = info.index;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(ZipGetEntry(reader, i, info), ZipOk) << i;
        EXPECT_EQ(ZipExtractToFile(reader, i, folder + "/" + info.name), ZipOk) << info.name;
    }
    ZipCloseReader(reader);
}

::testing::AssertionResult sameTree(const std::string& expected, const std::string& actual,
                                    bool compareTimes) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(expected)) {
        const std::string relative = fs::relative(entry.path(), expected).string();
        const std::string other = actual + "/" + relative;
        if (entry.is_directory()) {
            if (!fs::is_directory(other)) {
                return ::testing::AssertionFailure() << "missing folder " << relative;
            }
            continue;
        }
        if (!fs::is_regular_file(other)) {
            return ::testing::AssertionFailure() << "missing file " << relative;
        }
        if (readFile(entry.path().string()) != readFile(other)) {
            return ::testing::AssertionFailure() << "different content " << relative;
        }
        if (compareTimes && modificationTime(entry.path().string()) != modificationTime(other)) {
            return ::testing::AssertionFailure()
                   << "different time " << relative << ": "
                   << modificationTime(entry.path().string()) << " != " << modificationTime(other);
        }
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(actual)) {
        const std::string relative = fs::relative(entry.path(), actual).string();
        if (!exists(expected + "/" + relative)) {
            return ::testing::AssertionFailure() << "unexpected " << relative;
        }
    }
    return ::testing::AssertionSuccess();
}

std::uint16_t FileBytes::u16(std::size_t at) const {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes.at(at)) |
                                      static_cast<std::uint8_t>(bytes.at(at + 1)) << 8);
}

std::uint32_t FileBytes::u32(std::size_t at) const {
    return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
}

std::uint64_t FileBytes::u64(std::size_t at) const {
    return u32(at) | static_cast<std::uint64_t>(u32(at + 4)) << 32;
}

} // namespace tarvo::zip::test
