// The writer: the bytes of the archives it writes, and how it treats targets and sources.

#include "zip_test_support.h"

#include "platform/posix/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <tuple>
#include <vector>

namespace tarvo::zip {
namespace {

using test::FileBytes;
using Fields = std::vector<std::uint64_t>;

const std::string HelloText = "hello hello hello hello hello\n";
const std::string StoredText = "already compressed, honestly";

// The reading end of a FIFO, opened before its writer so that the writer finds a reader.
UniqueFd openReader(const std::string& fifo) {
    UniqueFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    EXPECT_TRUE(reader.valid());
    return reader;
}

// What the writer of the pipe writes until it closes it; calls `first` once the first bytes
// are there. Only once a writer has opened the pipe: before, a read finds its end at once.
std::string drain(int reader, const std::function<void()>& first = {}) {
    ::fcntl(reader, F_SETFL, ::fcntl(reader, F_GETFL) & ~O_NONBLOCK);
    std::string bytes;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(reader, buffer.data(), buffer.size());
        if (got <= 0)
            return bytes;
        if (bytes.empty() && first)
            first();
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

class ZipWriter : public ::testing::Test {
protected:
    // A deflated file, a folder and a stored read-only file, written in this order.
    void writeSampleArchive(const std::string& archive) {
        writeFile(dir.at("hello.txt"), HelloText);
        writeFile(dir.at("data.gz"), StoredText);
        ::chmod(dir.at("data.gz").c_str(), 0444);
        test::setTimes(dir.at("hello.txt"), accessTime, modificationTime);
        test::setTimes(dir.at("data.gz"), accessTime, modificationTime);
        ZipHandle writer = ZipCreate(archive);
        ASSERT_NE(writer, nullptr);
        EXPECT_EQ(ZipAddFile(writer, "hello.txt", dir.at("hello.txt")), ZipOk);
        EXPECT_EQ(ZipAddDirectory(writer, "sub"), ZipOk);
        EXPECT_EQ(ZipAddFile(writer, "sub\\data.gz", dir.at("data.gz")), ZipOk);
        EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
    }

    TempTree dir;
    ScopedTimeZone zone{"EST5"};
    const std::int64_t modificationTime = test::localTime(2021, 3, 4, 10, 15, 37);
    const std::int64_t accessTime = test::localTime(2022, 1, 2, 3, 4, 5);
};

// Signatures, sizes, CRCs and offsets are checked by the peer tools in the interoperability
// tests; these are the fields they accept whatever their values.
TEST_F(ZipWriter, RecordsCarryTheFlagsTimesAndAttributesOfEachKindOfEntry) {
    writeSampleArchive(dir.at("sample.zip"));
    const FileBytes zip(dir.at("sample.zip"));
    const std::size_t folder = 56 + zip.u32(18); // no data descriptor on a file target
    const struct {
        std::string name;
        std::size_t local;
        std::uint16_t flags, method;
        std::uint32_t attributes;
    } entries[] = {{"hello.txt", 0, 0x0002, 8, 0x81800020},
                   {"sub/", folder, 0, 0, 0x41C00010},
                   {"sub/data.gz", folder + 30 + 4 + 17, 0, 0, 0x81000021}};
    EXPECT_EQ((Fields{zip.u16(10), zip.u16(12)}),
              (Fields{(10 << 11) | (15 << 5) | 18, (41 << 9) | (3 << 5) | 4}));
    std::size_t central = zip.u32(zip.bytes.size() - 22 + 16);
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        const std::size_t local = entry.local;
        const std::size_t size = entry.name.size();
        // Local "UT": modification and access time; central "UT": modification time only.
        EXPECT_EQ(std::tuple(zip.text(local + 30, size), zip.text(local + 30 + size, 5),
                             zip.text(central + 46 + size, 5)),
                  std::tuple(entry.name, std::string("UT\x0D\x00\x07", 5),
                             std::string("UT\x05\x00\x07", 5)));
        EXPECT_EQ(
            (Fields{zip.u16(local + 4), zip.u16(local + 6), zip.u16(local + 8),
                    zip.u16(central + 4), zip.u16(central + 8), zip.u32(central + 38),
                    zip.u32(central + 42)}),
            (Fields{20, entry.flags, entry.method, 0x0B17, entry.flags, entry.attributes, local}));
        if (entry.name != "sub/") { // a folder entry has the time it was packed
            EXPECT_EQ(zip.text(central + 12, 4), zip.text(10, 4));
            EXPECT_EQ((Fields{zip.u32(local + 30 + size + 5), zip.u32(local + 30 + size + 9),
                              zip.u32(central + 46 + size + 5)}),
                      (Fields{std::uint64_t(modificationTime), std::uint64_t(accessTime),
                              std::uint64_t(modificationTime)}));
        }
        central += 46 + size + 9;
    }
    EXPECT_EQ(zip.bytes.size(), central + 22);
}

TEST_F(ZipWriter, NonAsciiNamesAloneCarryTheUtf8FlagAndDotNamesTheHiddenBit) {
    writeFile(dir.at("f"), "x");
    writeFile(dir.at(".profile"), "y");
    ZipHandle writer = ZipCreate(dir.at("names.zip"));
    ASSERT_EQ(ZipAddFile(writer, "Grüße.txt", dir.at("f")), ZipOk);
    ASSERT_EQ(ZipAddDirectory(writer, "Ordner-ä"), ZipOk);
    ASSERT_EQ(ZipAddFile(writer, ".profile", dir.at(".profile")), ZipOk);
    ASSERT_EQ(ZipCloseWriter(writer), ZipOk);
    const FileBytes zip(dir.at("names.zip"));
    const std::size_t second = 30 + std::string("Grüße.txt").size() + 17 + zip.u32(18);
    EXPECT_EQ((Fields{zip.u16(6), zip.u16(second + 6)}), (Fields{0x0802, 0x0800}));

    ZipHandle reader = ZipOpen(dir.at("names.zip"));
    ZipEntryInfo info;
    ASSERT_EQ(ZipGetEntry(reader, 0, info), ZipOk);
    EXPECT_EQ(info.attributes & ZipAttrHidden, 0u);
    ASSERT_EQ(ZipGetEntry(reader, 2, info), ZipOk);
    EXPECT_EQ(info.attributes, ZipAttrHidden | ZipAttrArchive);
    ZipCloseReader(reader);
}

TEST_F(ZipWriter, DosDateIsClampedWhileTheUtFieldKeepsTheRealTime) {
    const std::int64_t in1975 = test::localTime(1975, 6, 1, 12, 0, 0);
    writeFile(dir.at("old.txt"), "old");
    test::setTimes(dir.at("old.txt"), in1975, in1975);
    ZipHandle writer = ZipCreate(dir.at("old.zip"));
    ASSERT_EQ(ZipAddFile(writer, "old.txt", dir.at("old.txt")), ZipOk);
    ASSERT_EQ(ZipCloseWriter(writer), ZipOk);
    const FileBytes zip(dir.at("old.zip"));
    EXPECT_EQ((Fields{zip.u16(10), zip.u16(12)}), (Fields{0, (1 << 5) | 1})); // 1980-01-01 0:00
    EXPECT_EQ(static_cast<std::int32_t>(zip.u32(30 + 7 + 5)), in1975);
}

TEST_F(ZipWriter, TargetThatCannotSeekGetsDataDescriptors) {
    ASSERT_EQ(::mkfifo(dir.at("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ZipCreate(dir.at("pipe")), nullptr) << "no reader: refused, not waited for";
    const UniqueFd reader = openReader(dir.at("pipe"));
    writeSampleArchive(dir.at("pipe")); // small enough for the pipe's buffer
    writeFile(dir.at("streamed.zip"), drain(reader.get()));

    const FileBytes zip(dir.at("streamed.zip"));
    const std::size_t central = zip.u32(zip.bytes.size() - 22 + 16);
    EXPECT_EQ((Fields{zip.u16(6), zip.u16(central + 8)}), (Fields{0x0008, 0x0008}));
    const std::size_t descriptor = zip.bytes.find(std::string("PK\x07\x08", 4));
    ASSERT_NE(descriptor, std::string::npos);
    EXPECT_EQ(zip.text(descriptor + 4, 12), zip.text(central + 16, 12)) << "CRC and sizes";
    EXPECT_TRUE(unzipTestPasses(dir.at("streamed.zip")));
    test::unpackAll(dir.at("streamed.zip"), dir.at("out"));
    EXPECT_EQ(readFile(dir.at("out/hello.txt")), HelloText);
}

TEST_F(ZipWriter, ExistingArchiveStaysUntilTheNewOneIsCompleteAndReadOnlyOneIsKept) {
    const std::string archive = dir.at("a.zip");
    writeFile(archive, "old archive");
    writeFile(dir.at("f.txt"), "new content");
    {
        // A pack that throws lets its handle go unclosed: the unfinished archive is dropped.
        const UniqueZipHandle dropped(ZipCreate(archive));
        ASSERT_EQ(ZipAddFile(dropped.get(), "f.txt", dir.at("f.txt")), ZipOk);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    ZipHandle writer = ZipCreate(archive);
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(ZipAddFile(writer, "f.txt", dir.at("f.txt")), ZipOk);
    EXPECT_EQ(readFile(archive), "old archive");
    ASSERT_EQ(ZipCloseWriter(writer), ZipOk);
    EXPECT_TRUE(unzipTestPasses(archive));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no temporary file is left behind";

    ::chmod(archive.c_str(), 0444);
    const std::string kept = readFile(archive);
    EXPECT_EQ(ZipCreate(archive), nullptr);
    EXPECT_EQ(ZipLastWriterResult(), ZipCannotOpen);
    EXPECT_EQ(readFile(archive), kept);
    EXPECT_EQ(ZipCreate(dir.path()), nullptr) << "a folder is no archive";
}

TEST_F(ZipWriter, OnlyRegularFilesArePackedAndFailuresLeaveNoEntry) {
    ASSERT_EQ(::mkfifo(dir.at("fifo").c_str(), 0600), 0);
    ::mkdir(dir.at("folder").c_str(), 0755);
    writeFile(dir.at("ok.txt"), "fine");
    ZipHandle writer = ZipCreate(dir.at("a.zip"));
    // Would wait forever for a writer if the FIFO were opened for reading.
    EXPECT_EQ(ZipAddFile(writer, "fifo", dir.at("fifo")), ZipCannotOpen);
    EXPECT_EQ(ZipAddFile(writer, "folder", dir.at("folder")), ZipCannotOpen);
    EXPECT_EQ(ZipAddFile(writer, "missing", dir.at("missing")), ZipCannotOpen);
    EXPECT_EQ(ZipAddFile(writer, "", dir.at("ok.txt")), ZipBadArguments);
    EXPECT_EQ(ZipAddFile(writer, "ok.txt", dir.at("ok.txt")), ZipOk);
    EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
    EXPECT_EQ(archiveEntries(dir.at("a.zip")), std::vector<std::string>{"ok.txt"});
    EXPECT_TRUE(unzipTestPasses(dir.at("a.zip"))) << "no bytes of a failed entry are left";
}

// The source changes once the packing is under way: the writer then waits on the pipe, having
// read far less than the size left or added.
TEST_F(ZipWriter, AFileThatChangesWhileItIsPackedFailsAndGetsNoEntry) {
    const std::string source = dir.at("changing.bin");
    for (const bool grows : {false, true}) {
        SCOPED_TRACE(grows ? "grows" : "shrinks");
        writeFile(source, randomBytes(4 << 20, 3));
        ::unlink(dir.at("pipe").c_str());
        ASSERT_EQ(::mkfifo(dir.at("pipe").c_str(), 0600), 0);
        const UniqueFd reader = openReader(dir.at("pipe"));
        ZipHandle writer = ZipCreate(dir.at("pipe"));
        ASSERT_NE(writer, nullptr);
        std::string streamed;
        std::thread drainer([&] {
            streamed = drain(reader.get(), [&] {
                if (grows)
                    std::ofstream(source, std::ios::app) << randomBytes(1 << 20, 4);
                else
                    std::filesystem::resize_file(source, 1 << 20);
            });
        });
        EXPECT_EQ(ZipAddFile(writer, "changing.bin", source), ZipChangeNotAllowed);
        EXPECT_EQ(ZipAddDirectory(writer, "after"), ZipOk);
        EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
        drainer.join();
        writeFile(dir.at("streamed.zip"), streamed);
        EXPECT_EQ(archiveEntries(dir.at("streamed.zip")), std::vector<std::string>{"after/"});
    }
}

TEST_F(ZipWriter, WriteFailureIsStickyAndTheArchiveIsNotCompleted) {
    writeFile(dir.at("big.gz"), randomBytes(1 << 20, 5));
    ZipHandle writer = ZipCreate("/dev/full");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(ZipAddFile(writer, "big.gz", dir.at("big.gz")), ZipWriteError);
    EXPECT_EQ(ZipAddDirectory(writer, "later"), ZipEarlierError);
    EXPECT_EQ(ZipCloseWriter(writer), ZipWriteError);
}

TEST_F(ZipWriter, AnEmptyArchiveIsTheBareEndRecordAndEachSideChecksItsHandles) {
    EXPECT_EQ(ZipAddFile(nullptr, "a", "b"), ZipBadArguments);
    EXPECT_EQ(ZipLastWriterResult(), ZipBadArguments);
    ZipHandle writer = ZipCreate(dir.at("a.zip"));
    EXPECT_FALSE(ZipIsReaderHandle(writer));
    EXPECT_FALSE(ZipIsReaderHandle(nullptr));
    EXPECT_EQ(ZipCloseReader(writer), ZipWrongHandle);
    EXPECT_EQ(ZipLastReaderResult(), ZipWrongHandle);
    EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
    EXPECT_EQ(ZipLastWriterResult(), ZipOk);
    EXPECT_EQ(readFile(dir.at("a.zip")), std::string("PK\x05\x06", 4) + std::string(18, '\0'));

    ZipHandle reader = ZipOpen(dir.at("a.zip"));
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(ZipIsReaderHandle(reader));
    ZipEntryInfo info;
    EXPECT_EQ(ZipGetEntry(reader, -1, info), ZipOk);
    EXPECT_EQ(info.index, 0) << "an archive without entries opens";
    EXPECT_EQ(ZipAddDirectory(reader, "x"), ZipWrongHandle);
    EXPECT_EQ(ZipCloseWriter(reader), ZipWrongHandle);
    EXPECT_EQ(ZipLastReaderResult(), ZipOk);
    EXPECT_EQ(ZipCloseReader(reader), ZipOk);
}

} // namespace
} // namespace tarvo::zip
