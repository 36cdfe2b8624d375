// Zip64 archives as real readers take them, and packing on several threads.

#include "zip_test_support.h"

#include "local/zip/parallel_packer.h"
#include "local/zip/zip_records.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <new>
#include <stdexcept>
#include <tuple>

namespace tarvo::zip {
namespace {

constexpr int ManyFolders = 65536;

TEST(Zip64, MoreThan65535EntriesGetZip64EndRecordsThatPeersRead) {
    TempTree dir;
    writeFile(dir.at("last.txt"), "the last one");
    const std::string archive = dir.at("many.zip");
    ZipHandle writer = ZipCreate(archive);
    char name[16];
    for (int i = 0; i < ManyFolders; ++i) {
        std::snprintf(name, sizeof name, "d%05d", i);
        ASSERT_EQ(ZipAddDirectory(writer, name), ZipOk);
    }
    ASSERT_EQ(ZipAddFile(writer, "last.txt", dir.at("last.txt")), ZipOk);
    ASSERT_EQ(ZipCloseWriter(writer), ZipOk);

    const test::FileBytes zip(archive);
    const std::size_t end = zip.bytes.size() - 22;
    EXPECT_EQ(std::tuple(zip.u16(end + 8), zip.u32(end - 20), zip.u64(end - 20 - 56 + 24)),
              std::tuple(0xFFFF, Zip64LocatorSignature, ManyFolders + 1u));

    const CommandResult unzip = runCommand("unzip -tq " + shellQuoted(archive));
    EXPECT_EQ(unzip.status, 0) << unzip.output;
    const CommandResult python =
        runCommand(test::Python +
                   " -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                   "print(len(z.namelist()), z.read(\"last.txt\").decode())' " +
                   shellQuoted(archive));
    EXPECT_EQ(python.output, "65537 the last one\n");

    ZipHandle reader = ZipOpen(archive);
    ASSERT_NE(reader, nullptr);
    ZipEntryInfo info;
    ZipGetEntry(reader, -1, info);
    EXPECT_EQ(info.index, ManyFolders + 1);
    EXPECT_EQ(ZipExtractToFile(reader, ManyFolders, dir.at("out/last.txt")), ZipOk);
    EXPECT_EQ(readFile(dir.at("out/last.txt")), "the last one");
    ZipCloseReader(reader);
}

// Zip64 sizes and offsets appear only past 4 GiB. Their layout is checked on a small archive
// whose second entry carries them anyway, built from the same records the writer uses; its
// central record also keeps the local header offset in the Zip64 field.
TEST(Zip64, EntriesWithZip64SizesAndOffsetAreAcceptedByPeersAndByUs) {
    TempTree dir;
    const std::string data = "small data in a Zip64 entry";
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    Bytes archive;
    std::vector<EntryRecord> entries(2);
    for (int i = 0; i < 2; ++i) {
        EntryRecord& entry = entries[i];
        entry.name = i == 0 ? "first.gz" : "big.gz";
        entry.crc = crc;
        entry.compressedSize = entry.uncompressedSize = data.size();
        entry.externalAttributes = 0x81800020;
        entry.zip64Sizes = i == 1;
        entry.localHeaderOffset = archive.size();
        appendLocalHeader(archive, entry);
        archive.insert(archive.end(), data.begin(), data.end());
    }
    const std::uint64_t directoryOffset = archive.size();
    appendCentralHeader(archive, entries[0]);
    const std::size_t second = archive.size();
    appendCentralHeader(archive, entries[1]);
    // Escape the offset too: a third value in the Zip64 field, which comes last.
    putU64(archive, entries[1].localHeaderOffset);
    archive[second + 30] += 8;                 // extra field length
    archive[archive.size() - 8 - 16 - 2] += 8; // Zip64 block size
    std::fill_n(archive.begin() + second + 42, 4, 0xFF);
    appendEndOfCentralDirectory(archive, 2, archive.size() - directoryOffset, directoryOffset);
    std::ofstream(dir.at("z64.zip"), std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()),
               static_cast<std::streamsize>(archive.size()));

    const CommandResult unzip = runCommand("unzip -tq " + shellQuoted(dir.at("z64.zip")));
    EXPECT_EQ(unzip.status, 0) << unzip.output;
    EXPECT_EQ(test::pythonTestZip(dir.at("z64.zip")).status, 0);
    ZipHandle reader = ZipOpen(dir.at("z64.zip"));
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, 1, info), ZipOk);
    const std::uint64_t size = data.size();
    EXPECT_EQ(std::pair(info.uncompressedSize, info.compressedSize), std::pair(size, size));
    ZipCloseReader(reader);
    test::unpackAll(dir.at("z64.zip"), dir.at("out"));
    EXPECT_EQ(readFile(dir.at("out/big.gz")), data);
}

class ParallelPacking : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(dir.at("src").c_str(), 0755);
        std::uint32_t seed = 12345;
        for (int i = 0; i < 120; ++i) {
            // Sizes from empty to several compression chunks, text-like and noisy content.
            const std::size_t size = (i * i * 37) % 90000;
            std::string content(size, '\0');
            for (char& byte : content) {
                seed = seed * 1103515245 + 12345;
                byte =
                    i % 3 == 0 ? static_cast<char>(seed >> 24) : "abcde fgh\n"[(seed >> 16) % 10];
            }
            const std::string name = "f" + std::to_string(i) + (i % 10 == 0 ? ".zip" : ".txt");
            writeFile(dir.at("src/" + name), content);
            requests.push_back({"src/" + name, dir.at("src/" + name), false});
        }
        requests.push_back({"src/missing.txt", dir.at("src/missing.txt"), false});
        requests.push_back({"", dir.at("src/f1.txt"), false});
    }

    // Times pinned again before each run: reading a file may move its access time.
    std::string pack(const std::string& archive, unsigned threads,
                     std::vector<ZipResult>& results) {
        for (const ZipAddRequest& request : requests) {
            test::setTimes(request.sourcePath, 1600000000, 1500000000);
        }
        ZipHandle writer = ZipCreate(archive);
        results = ZipAddEntries(writer, requests, threads);
        EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
        return readFile(archive);
    }

    TempTree dir;
    std::vector<ZipAddRequest> requests;
};

TEST_F(ParallelPacking, ArchiveIsByteIdenticalToTheSingleThreadedOne) {
    std::vector<ZipResult> single;
    std::vector<ZipResult> parallel;
    const std::string expected = pack(dir.at("one.zip"), 1, single);
    const std::string actual = pack(dir.at("many.zip"), 4, parallel);
    EXPECT_TRUE(expected == actual);
    EXPECT_EQ(single, parallel);
    EXPECT_EQ(std::vector(parallel.end() - 2, parallel.end()),
              (std::vector{ZipCannotOpen, ZipBadArguments}));
    EXPECT_EQ(runCommand("unzip -tq " + shellQuoted(dir.at("many.zip"))).status, 0);
}

void throwFor(std::size_t index, std::size_t allocationFails, std::size_t otherFails) {
    if (index == allocationFails)
        throw std::bad_alloc();
    if (index == otherFails)
        throw std::runtime_error("step failed");
}

// An entry whose step throws fails alone, in its place; the others are written in order and
// every compressing thread ends (a thread left running would end the program).
TEST(PackingPipeline, AnEntryThatThrowsFailsAloneAndTheThreadsAreJoined) {
    constexpr std::size_t Count = 40;
    std::vector<std::size_t> written;
    std::vector<bool> fromPrepared(Count, false);
    PackingSteps steps;
    steps.prepare = [](std::size_t index, const TZip::SizeGate& admit, EntryEncoder&,
                       PreparedSource& prepared) {
        throwFor(index, 3, 11);
        prepared.data.assign(1, static_cast<std::uint8_t>(index));
        return admit(1);
    };
    steps.write = [&](std::size_t index, const PreparedSource* prepared) -> ZipResult {
        written.push_back(index);
        fromPrepared[index] = prepared != nullptr && prepared->data.at(0) == index;
        throwFor(index, 5, 7);
        return ZipOk;
    };
    for (const unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        written.clear();
        const std::vector<ZipResult> results = packInOrder(Count, threads, steps);
        ASSERT_EQ(results.size(), Count);
        for (std::size_t i = 0; i < Count; ++i) {
            EXPECT_EQ(written.at(i), i);
            EXPECT_EQ(results[i], i == 5 ? ZipNoMemory : i == 7 ? ZipWriteError : ZipOk) << i;
        }
        EXPECT_FALSE(fromPrepared[3] || fromPrepared[11]);
    }
}

} // namespace
} // namespace tarvo::zip
