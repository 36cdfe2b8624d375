// The reader: entry information and extraction, of our own archives and of hostile ones.

#include "zip_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace tarvo::zip {
namespace {

// Files and folders below a folder (none when it does not exist), or its files alone.
std::size_t countEntries(const std::string& folder, bool filesOnly = false) {
    std::size_t count = 0;
    if (std::filesystem::exists(folder)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            count += !filesOnly || entry.is_regular_file() ? 1 : 0;
        }
    }
    return count;
}

class ZipReader : public ::testing::Test {
protected:
    // tree/ with a file, a read-only file and a folder holding a file, times pinned.
    void SetUp() override {
        dir.write("tree/a.txt", "alpha alpha alpha");
        ::chmod(dir.write("tree/locked.txt", "read only").c_str(), 0444);
        dir.write("tree/inner/b.bin", std::string(100000, 'b'));
        test::setTimes(dir.at("tree/a.txt"), 1600000000, 1500000000);
        test::setTimes(dir.at("tree/locked.txt"), 1600000000, 1400000002);
        test::setTimes(dir.at("tree/inner/b.bin"), 1600000000, 1300000004);
        ZipHandle writer = ZipCreate(archive);
        test::packTree(writer, dir.at("tree"), "tree");
        ASSERT_EQ(ZipCloseWriter(writer), ZipOk);
    }

    TempTree dir;
    const std::string archive = dir.at("tree.zip");
};

TEST_F(ZipReader, EntriesReportNamesAttributesSizesAndTimes) {
    ZipHandle reader = ZipOpen(archive);
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, -1, info), ZipOk);
    EXPECT_EQ(info.index, 5);
    EXPECT_EQ(ZipGetEntry(reader, 5, info), ZipBadArguments);
    EXPECT_EQ(ZipGetEntry(reader, -2, info), ZipBadArguments);

    // Backwards and repeated requests read the right entry again.
    ASSERT_EQ(ZipGetEntry(reader, 4, info), ZipOk);
    EXPECT_EQ(
        std::tie(info.name, info.attributes, info.modificationTime, info.accessTime),
        std::tuple("tree/locked.txt", ZipAttrReadOnly | ZipAttrArchive, 1400000002, 1600000000));
    ASSERT_EQ(ZipGetEntry(reader, 3, info), ZipOk);
    EXPECT_EQ(std::tie(info.name, info.uncompressedSize, info.attributes),
              std::tuple("tree/inner/b.bin", 100000, ZipAttrArchive));
    EXPECT_LT(info.compressedSize, 1000);
    for (int repeat = 0; repeat < 2; ++repeat) {
        ASSERT_EQ(ZipGetEntry(reader, 0, info), ZipOk);
        EXPECT_EQ(std::tie(info.index, info.name, info.attributes),
                  std::tuple(0, "tree/", ZipAttrDirectory));
    }
    EXPECT_EQ(ZipCloseReader(reader), ZipOk);
}

TEST_F(ZipReader, UnpackedTreeEqualsTheSourceWithTimesAndReadOnlyFiles) {
    test::unpackAll(archive, dir.at("out"));
    EXPECT_TRUE(test::sameTree(dir.at("tree"), dir.at("out/tree"), true));
    struct stat locked {};
    ::stat(dir.at("out/tree/locked.txt").c_str(), &locked);
    EXPECT_EQ(locked.st_mode & 0222, 0u);
}

TEST_F(ZipReader, ExtractionMakesFoldersReplacesWritableButNotReadOnlyFilesAndKeepsItsFolder) {
    ZipHandle reader = ZipOpen(archive);
    const std::string deep = dir.at("x/y/a.txt");
    for (const bool existing : {false, true}) {
        if (existing)
            writeFile(deep, "old and writable");
        EXPECT_EQ(ZipExtractToFile(reader, 1, deep), ZipOk);
        EXPECT_EQ(readFile(deep), "alpha alpha alpha");
    }

    // Even as root, whose writes the permission would not stop.
    writeFile(deep, "old and read-only");
    ::chmod(deep.c_str(), 0444);
    EXPECT_EQ(ZipExtractToFile(reader, 1, deep), ZipCannotOpen);
    EXPECT_EQ(readFile(deep), "old and read-only");

    EXPECT_EQ(ZipExtractToFile(reader, 5, deep), ZipBadArguments);
    EXPECT_EQ(ZipExtractToFile(reader, 0, dir.at("f1/f2/tree/")), ZipOk);
    EXPECT_TRUE(std::filesystem::is_directory(dir.at("f1/f2/tree")));
    ZipCloseReader(reader);

    // Relative targets lie below the folder current when the archive was opened.
    const std::string previous = std::filesystem::current_path();
    ::mkdir(dir.at("here").c_str(), 0755);
    ASSERT_EQ(::chdir(dir.at("here").c_str()), 0);
    reader = ZipOpen(archive);
    ASSERT_EQ(::chdir(previous.c_str()), 0);
    EXPECT_EQ(ZipExtractToFile(reader, 1, "rel/a.txt"), ZipOk);
    ZipCloseReader(reader);
    EXPECT_EQ(readFile(dir.at("here/rel/a.txt")), "alpha alpha alpha");
}

// The archives of make_hostile_archives.py, made once for the whole run.
std::string fixture(const std::string& name) {
    static const TempTree fixtures;
    static const bool made = [] {
        const CommandResult made = runCommand(
            test::Python + " " + shellQuoted(test::testSourceFile("make_hostile_archives.py")) +
            " " + shellQuoted(fixtures.path()));
        EXPECT_EQ(made.status, 0) << made.output;
        return made.status == 0;
    }();
    return made ? fixtures.at(name) : std::string();
}

class HostileArchives : public ::testing::Test {
protected:
    TempTree dir;
};

TEST_F(HostileArchives, TruncatedTimestampFieldIsReadOnlyAsFarAsItGoes) {
    ZipHandle reader = ZipOpen(fixture("truncated_ut.zip"));
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, 0, info), ZipOk);
    EXPECT_EQ(std::tie(info.modificationTime, info.accessTime),
              std::tuple(1000000000, test::localTime(2020, 5, 6, 7, 8, 10)));
    EXPECT_EQ(ZipExtractToFile(reader, 0, dir.at("cut.txt")), ZipOk);
    EXPECT_EQ(test::modificationTime(dir.at("cut.txt")), 1000000000);
    ZipCloseReader(reader);
}

TEST_F(HostileArchives, LongNamesAreNeverCut) {
    ZipHandle reader = ZipOpen(fixture("long_names.zip"));
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, 0, info), ZipOk);
    EXPECT_EQ(info.name, std::string(300, 'n'));
    // Longer than a file name may be here: refused whole, nothing written.
    EXPECT_EQ(ZipExtractToFile(reader, 0, dir.at(info.name)), ZipCannotOpen);
    EXPECT_EQ(countEntries(dir.path()), 0u);
    ASSERT_EQ(ZipGetEntry(reader, 1, info), ZipOk);
    EXPECT_EQ(info.name.size(), 3 * 99 + 3 + 8);
    EXPECT_EQ(ZipExtractToFile(reader, 1, dir.at(info.name)), ZipOk);
    EXPECT_EQ(readFile(dir.at(info.name)), "nested");
    ZipCloseReader(reader);
}

// Of archives that open, every entry unpacks but those that would leave the target, through a
// name or a link planted in it, or are damaged. `files` lists every file the target holds
// afterwards, with the permissions the archive gives them (under the umask); `existing` is a file
// there before, which a damaged entry must leave as it was.
struct ExpectedFile {
    const char* path;
    const char* content;
    mode_t mode;
};

struct HostileCase {
    const char* archive;
    std::vector<ZipResult> results; // per entry; empty: every entry unpacks
    std::vector<ExpectedFile> files;
    const char* existing = nullptr;
};

class HostileArchiveTable : public HostileArchives,
                            public ::testing::WithParamInterface<HostileCase> {};

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

TEST_P(HostileArchiveTable, IsRefusedOrUnpacksOnlyIntoTheTarget) {
    const HostileCase& hostile = GetParam();
    const std::string target = dir.at("target");
    ::mkdir(target.c_str(), 0755);
    ::mkdir(dir.at("outside").c_str(), 0755);
    ASSERT_EQ(::symlink(dir.at("outside").c_str(), (target + "/link").c_str()), 0);
    if (hostile.existing)
        writeFile(target + "/" + hostile.existing, "previous");
    ZipHandle reader = ZipOpen(fixture(hostile.archive));
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, -1, info), ZipOk);
    const int count = info.index;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(ZipGetEntry(reader, i, info), ZipOk) << i;
        const ZipResult expected = hostile.results.empty() ? ZipOk : hostile.results.at(i);
        EXPECT_EQ(ZipExtractToFile(reader, i, target + "/" + info.name), expected) << info.name;
    }
    ZipCloseReader(reader);
    const mode_t umask = currentUmask();
    for (const ExpectedFile& file : hostile.files) {
        const std::string path = target + "/" + file.path;
        EXPECT_EQ(readFile(path), file.content) << file.path;
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0) << file.path;
        EXPECT_EQ(status.st_mode & 07777, file.mode & ~umask) << file.path;
    }
    EXPECT_EQ(countEntries(target, true), hostile.files.size());
    EXPECT_EQ(countEntries(dir.at("outside")), 0u);
}

TEST_F(HostileArchives, ArchivesThatLieAreRefusedWhenOpened) {
    for (const char* archive :
         {"missing.zip", "truncated.zip", "lying_end.zip", "bad_offset.zip", "count_smaller.zip",
          "count_larger.zip", "zip64_count.zip", "overlapping.zip"}) {
        EXPECT_EQ(ZipOpen(fixture(archive)), nullptr) << archive;
        EXPECT_EQ(ZipLastReaderResult(), ZipCannotOpen) << archive;
    }
}

const HostileCase kHostile[] = {
    {"traversal.zip",
     {ZipCorrupt, ZipCorrupt, ZipOk, ZipCorrupt, ZipCannotOpen, ZipOk},
     {{"abs/inside.txt", "inside", 0644}, {"good.txt", "good", 0644}}},
    {"flipped.zip", {ZipFlateFailed}, {{"data.txt", "previous", 0666}}, "data.txt"},
    {"encrypted.zip", {ZipPasswordRequired}, {}},
    {"dot_slash.zip", {}, {{"a.txt", "alpha", 0644}, {"sub/b.txt", "beta", 0644}}},
    {"comment_65514.zip", {}, {{"c.txt", "comment", 0644}}},
    {"comment_65535.zip", {}, {{"c.txt", "comment", 0644}}},
    {"unix_modes.zip",
     {},
     {{"run.sh", "#!/bin/sh\n", 0755},
      {"private.txt", "private", 0600},
      {"setuid", "no set-id", 0755},
      {"sticky", "no sticky", 0777}}},
    {"special_modes.zip", {}, {{"socket", "socket data", 0666}, {"device", "device data", 0666}}}};

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchiveTable, ::testing::ValuesIn(kHostile),
                         [](const auto& info) {
                             std::string name = info.param.archive;
                             name.resize(name.find('.'));
                             return name;
                         });

} // namespace
} // namespace tarvo::zip
