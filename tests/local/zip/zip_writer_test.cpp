// The writer: the bytes of the archives it writes, and how it treats targets and sources.

#include "zip_test_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace tarvo::zip {
namespace {

using test::FileBytes;

const std::string HelloText = "hello hello hello hello hello\n";
const std::string StoredText = "already compressed, honestly";

std::uint32_t crcOf(const std::string& text) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

std::string inflateRaw(const std::string& data, std::size_t expectedSize) {
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    std::string out(expectedSize, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return status == Z_STREAM_END ? out : std::string("<not a raw deflate stream>");
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
    test::ScopedTimeZone zone{"EST5"};
    const std::int64_t modificationTime = test::localTime(2021, 3, 4, 10, 15, 37);
    const std::int64_t accessTime = test::localTime(2022, 1, 2, 3, 4, 5);
    const std::uint16_t dosTime = (10 << 11) | (15 << 5) | 18;
    const std::uint16_t dosDate = (41 << 9) | (3 << 5) | 4;
};

TEST_F(ZipWriter, SmallArchiveMatchesTheRecordLayoutByteForByte) {
    writeSampleArchive(dir.at("sample.zip"));
    const FileBytes zip(dir.at("sample.zip"));

    // hello.txt: deflated, final header flags 0x0002, local "UT" with three times.
    EXPECT_EQ(zip.u32(0), 0x04034B50u);
    EXPECT_EQ(zip.u16(4), 20);
    EXPECT_EQ(zip.u16(6), 0x0002);
    EXPECT_EQ(zip.u16(8), 8);
    EXPECT_EQ(zip.u16(10), dosTime);
    EXPECT_EQ(zip.u16(12), dosDate);
    EXPECT_EQ(zip.u32(14), crcOf(HelloText));
    const std::uint32_t packedSize = zip.u32(18);
    EXPECT_EQ(zip.u32(22), HelloText.size());
    EXPECT_EQ(zip.u16(26), 9);
    EXPECT_EQ(zip.u16(28), 17);
    EXPECT_EQ(zip.text(30, 9), "hello.txt");
    EXPECT_EQ(zip.text(39, 2), "UT");
    EXPECT_EQ(zip.u16(41), 13);
    EXPECT_EQ(zip.bytes[43], 0x07);
    EXPECT_EQ(zip.u32(44), static_cast<std::uint32_t>(modificationTime));
    EXPECT_EQ(zip.u32(48), static_cast<std::uint32_t>(accessTime));
    EXPECT_EQ(inflateRaw(zip.text(56, packedSize), HelloText.size()), HelloText);

    // The folder follows the data directly: no data descriptor on a file target.
    const std::size_t folder = 56 + packedSize;
    EXPECT_EQ(zip.u32(folder), 0x04034B50u);
    EXPECT_EQ(zip.u16(folder + 6), 0x0000);
    EXPECT_EQ(zip.u16(folder + 8), 0);
    EXPECT_EQ(zip.u32(folder + 14), 0u);
    EXPECT_EQ(zip.u32(folder + 18), 0u);
    EXPECT_EQ(zip.u32(folder + 22), 0u);
    EXPECT_EQ(zip.text(folder + 30, 4), "sub/");

    const std::size_t stored = folder + 30 + 4 + 17;
    EXPECT_EQ(zip.u16(stored + 6), 0x0000);
    EXPECT_EQ(zip.u16(stored + 8), 0);
    EXPECT_EQ(zip.u32(stored + 18), StoredText.size());
    EXPECT_EQ(zip.text(stored + 30, 11), "sub/data.gz");
    EXPECT_EQ(zip.text(stored + 30 + 11 + 17, StoredText.size()), StoredText);

    // Central directory: made-by 0x0B17, the final flags, a 9-byte "UT" with the modification
    // time only, and the external attributes of each kind of source.
    const std::size_t central = stored + 30 + 11 + 17 + StoredText.size();
    const std::uint32_t expectedAttributes[] = {0x81800020, 0x41C00010, 0x81000021};
    const std::uint32_t expectedOffsets[] = {0, static_cast<std::uint32_t>(folder),
                                             static_cast<std::uint32_t>(stored)};
    const std::string names[] = {"hello.txt", "sub/", "sub/data.gz"};
    std::size_t at = central;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(zip.u32(at), 0x02014B50u);
        EXPECT_EQ(zip.u16(at + 4), 0x0B17);
        EXPECT_EQ(zip.u16(at + 6), 20);
        EXPECT_EQ(zip.u16(at + 8), i == 0 ? 0x0002 : 0x0000);
        EXPECT_EQ(zip.u16(at + 28), names[i].size());
        EXPECT_EQ(zip.u16(at + 30), 9);
        EXPECT_EQ(zip.u16(at + 32), 0);
        EXPECT_EQ(zip.u16(at + 34), 0);
        EXPECT_EQ(zip.u16(at + 36), 0);
        EXPECT_EQ(zip.u32(at + 38), expectedAttributes[i]);
        EXPECT_EQ(zip.u32(at + 42), expectedOffsets[i]);
        EXPECT_EQ(zip.text(at + 46, names[i].size()), names[i]);
        const std::size_t ut = at + 46 + names[i].size();
        EXPECT_EQ(zip.text(ut, 2), "UT");
        EXPECT_EQ(zip.u16(ut + 2), 5);
        EXPECT_EQ(zip.bytes[ut + 4], 0x07);
        if (i != 1) {
            EXPECT_EQ(zip.u16(at + 12), dosTime);
            EXPECT_EQ(zip.u32(ut + 5), static_cast<std::uint32_t>(modificationTime));
        }
        at = ut + 9;
    }

    ASSERT_EQ(zip.bytes.size(), at + 22);
    EXPECT_EQ(zip.u32(at), 0x06054B50u);
    EXPECT_EQ(zip.u32(at + 4), 0u);
    EXPECT_EQ(zip.u16(at + 8), 3);
    EXPECT_EQ(zip.u16(at + 10), 3);
    EXPECT_EQ(zip.u32(at + 12), at - central);
    EXPECT_EQ(zip.u32(at + 16), central);
    EXPECT_EQ(zip.u16(at + 20), 0);
}

TEST_F(ZipWriter, ArchiveWithoutEntriesIsTheBareEndRecord) {
    ZipHandle writer = ZipCreate(dir.at("empty.zip"));
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
    const std::string expected = std::string("PK\x05\x06", 4) + std::string(18, '\0');
    EXPECT_EQ(readFile(dir.at("empty.zip")), expected);
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
    EXPECT_EQ(zip.u16(6), 0x0802);
    EXPECT_EQ(zip.u16(second + 6), 0x0800);

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
    EXPECT_EQ(zip.u16(10), 0);                       // 00:00:00
    EXPECT_EQ(zip.u16(12), (0 << 9) | (1 << 5) | 1); // 1980-01-01
    EXPECT_EQ(static_cast<std::int32_t>(zip.u32(30 + 7 + 5)), in1975);
}

TEST_F(ZipWriter, TargetThatCannotSeekGetsDataDescriptors) {
    ASSERT_EQ(::mkfifo(dir.at("pipe").c_str(), 0600), 0);
    std::string streamed;
    std::thread drain([&] { streamed = readFile(dir.at("pipe")); });
    writeSampleArchive(dir.at("pipe"));
    drain.join();
    writeFile(dir.at("streamed.zip"), streamed);

    const FileBytes zip(dir.at("streamed.zip"));
    EXPECT_EQ(zip.u16(6), 0x0008);
    EXPECT_EQ(zip.u32(14), 0u); // CRC and packed size follow the data
    EXPECT_EQ(zip.u32(18), 0u);
    const std::size_t descriptor = zip.bytes.find(std::string("PK\x07\x08", 4));
    ASSERT_NE(descriptor, std::string::npos);
    EXPECT_EQ(zip.u32(descriptor + 4), crcOf(HelloText));
    EXPECT_EQ(zip.u32(descriptor + 8), descriptor - 56);
    EXPECT_EQ(zip.u32(descriptor + 12), HelloText.size());
    const std::size_t central = zip.bytes.find(std::string("PK\x01\x02", 4));
    EXPECT_EQ(zip.u16(central + 8), 0x0008);

    EXPECT_EQ(test::run("unzip -tq " + test::quoted(dir.at("streamed.zip"))).status, 0);
    test::unpackAll(dir.at("streamed.zip"), dir.at("out"));
    EXPECT_EQ(readFile(dir.at("out/sub/data.gz")), StoredText);
    EXPECT_EQ(readFile(dir.at("out/hello.txt")), HelloText);
}

TEST_F(ZipWriter, ExistingArchiveStaysUntilTheNewOneIsCompleteAndReadOnlyOneIsKept) {
    const std::string archive = dir.at("a.zip");
    writeFile(archive, "old archive");
    writeFile(dir.at("f.txt"), "new content");
    ZipHandle writer = ZipCreate(archive);
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(ZipAddFile(writer, "f.txt", dir.at("f.txt")), ZipOk);
    EXPECT_EQ(readFile(archive), "old archive");
    ASSERT_EQ(ZipCloseWriter(writer), ZipOk);
    EXPECT_EQ(test::run("unzip -tq " + test::quoted(archive)).status, 0);
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
    const test::CommandResult listing = test::run("unzip -Z1 " + test::quoted(dir.at("a.zip")));
    EXPECT_EQ(listing.output, "ok.txt\n");
}

TEST_F(ZipWriter, WriteFailureIsStickyAndTheArchiveIsNotCompleted) {
    std::string big(1 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>((i * 7919) >> 3);
    }
    writeFile(dir.at("big.gz"), big);
    ZipHandle writer = ZipCreate("/dev/full");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(ZipAddFile(writer, "big.gz", dir.at("big.gz")), ZipWriteError);
    EXPECT_EQ(ZipAddDirectory(writer, "later"), ZipEarlierError);
    EXPECT_EQ(ZipCloseWriter(writer), ZipWriteError);
}

TEST_F(ZipWriter, HandlesAreCheckedAndEachSideKeepsItsLastResult) {
    EXPECT_EQ(ZipAddFile(nullptr, "a", "b"), ZipBadArguments);
    EXPECT_EQ(ZipLastWriterResult(), ZipBadArguments);
    ZipHandle writer = ZipCreate(dir.at("a.zip"));
    EXPECT_FALSE(ZipIsReaderHandle(writer));
    EXPECT_FALSE(ZipIsReaderHandle(nullptr));
    EXPECT_EQ(ZipCloseReader(writer), ZipWrongHandle);
    EXPECT_EQ(ZipLastReaderResult(), ZipWrongHandle);
    EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
    EXPECT_EQ(ZipLastWriterResult(), ZipOk);

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
