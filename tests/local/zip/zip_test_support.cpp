#include "zip_test_support.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace tarvo::zip::test {

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

CommandResult pythonTestZip(const std::string& archive) {
    return runCommand(Python +
                      " -c 'import sys, zipfile; "
                      "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' " +
                      shellQuoted(archive));
}

std::string testSourceFile(const std::string& name) {
    const char* source = std::getenv("TARVO_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/local/zip/" + name;
}

void packTree(ZipHandle writer, const std::string& folder, const std::string& name) {
    ASSERT_EQ(ZipAddDirectory(writer, name), ZipOk) << name;
    std::vector<fs::directory_entry> entries(fs::directory_iterator(folder), {});
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
        const std::string childName = name + "/" + entry.path().filename().string();
        if (entry.is_directory())
            packTree(writer, entry.path().string(), childName);
        else
            ASSERT_EQ(ZipAddFile(writer, childName, entry.path().string()), ZipOk) << childName;
    }
}

void unpackAll(const std::string& archive, const std::string& folder) {
    ZipHandle reader = ZipOpen(archive);
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ZipGetEntry(reader, -1, info);
    for (int i = 0, count = info.index; i < count; ++i) {
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
        if (entry.is_directory() != fs::is_directory(other) ||
            entry.is_regular_file() != fs::is_regular_file(other))
            return ::testing::AssertionFailure() << "missing " << relative;
        if (entry.is_directory())
            continue;
        if (readFile(entry.path()) != readFile(other))
            return ::testing::AssertionFailure() << "different content " << relative;
        if (compareTimes && modificationTime(entry.path()) != modificationTime(other))
            return ::testing::AssertionFailure()
                   << "different time " << relative << ": " << modificationTime(entry.path())
                   << " != " << modificationTime(other);
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(actual))
        if (!fs::exists(expected + "/" + fs::relative(entry.path(), actual).string()))
            return ::testing::AssertionFailure() << "unexpected " << entry.path();
    return ::testing::AssertionSuccess();
}

} // namespace tarvo::zip::test
