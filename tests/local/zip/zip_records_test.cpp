// Record layouts and conversions that are hard to reach through whole archives: Zip64 records
// (which real archives only need past 4 GiB), DOS time clamping and the bounds of the "UT"
// parser.

#include "zip_test_support.h"

#include "local/zip/dos_time.h"
#include "local/zip/zip_records.h"

#include <gtest/gtest.h>

namespace tarvo::zip {
namespace {

std::uint16_t u16(const Bytes& bytes, std::size_t at) {
    return getU16(bytes.data() + at);
}
std::uint32_t u32(const Bytes& bytes, std::size_t at) {
    return getU32(bytes.data() + at);
}
std::uint64_t u64(const Bytes& bytes, std::size_t at) {
    return u32(bytes, at) | static_cast<std::uint64_t>(u32(bytes, at + 4)) << 32;
}

EntryRecord smallEntry() {
    EntryRecord entry;
    entry.name = "a.bin";
    entry.method = MethodDeflated;
    entry.crc = 0x12345678;
    entry.compressedSize = 100;
    entry.uncompressedSize = 200;
    return entry;
}

TEST(ZipRecords, Zip64SizesAreChosenOnlyWhenThe32BitFieldsCouldOverflow) {
    EXPECT_FALSE(sizesNeedZip64(0xFFFFFFFE, MethodStored));
    EXPECT_TRUE(sizesNeedZip64(0xFFFFFFFF, MethodStored));
    EXPECT_FALSE(sizesNeedZip64(4'200'000'000, MethodDeflated));
    // Incompressible data grows a little when deflated, past the 32-bit limit here.
    EXPECT_TRUE(sizesNeedZip64(4'294'000'000, MethodDeflated));
    EXPECT_TRUE(sizesNeedZip64(5'000'000'000, MethodDeflated));

    EntryRecord entry = smallEntry();
    entry.uncompressedSize = 0x100000000;
    EXPECT_FALSE(sizesFitPlannedHeader(entry));
    entry.zip64Sizes = true;
    EXPECT_TRUE(sizesFitPlannedHeader(entry));
}

TEST(ZipRecords, Zip64EntryCarriesBothSizesLocallyAndEightByteDescriptor) {
    EntryRecord entry = smallEntry();
    entry.zip64Sizes = true;
    entry.uncompressedSize = 0x123456789;
    entry.compressedSize = 0x100000001;

    Bytes local;
    appendLocalHeader(local, entry);
    EXPECT_EQ(u16(local, 4), 45);
    EXPECT_EQ(u32(local, 18), 0xFFFFFFFFu);
    EXPECT_EQ(u32(local, 22), 0xFFFFFFFFu);
    EXPECT_EQ(u16(local, 28), 17 + 20);
    const std::size_t zip64 = 30 + 5 + 17; // after the name and the "UT" field
    EXPECT_EQ(u16(local, zip64), 0x0001);
    EXPECT_EQ(u16(local, zip64 + 2), 16);
    EXPECT_EQ(u64(local, zip64 + 4), 0x123456789u);
    EXPECT_EQ(u64(local, zip64 + 12), 0x100000001u);

    Bytes descriptor;
    appendDataDescriptor(descriptor, entry);
    ASSERT_EQ(descriptor.size(), 24u);
    EXPECT_EQ(u64(descriptor, 8), 0x100000001u);
    EXPECT_EQ(u64(descriptor, 16), 0x123456789u);
}

TEST(ZipRecords, CentralHeaderEscapesOnlyTheFieldsThatOverflow) {
    EntryRecord entry = smallEntry();
    entry.localHeaderOffset = 0x1'0000'0010;
    Bytes central;
    appendCentralHeader(central, entry);
    EXPECT_EQ(u16(central, 6), 45);
    EXPECT_EQ(u32(central, 20), 100u); // sizes fit and stay
    EXPECT_EQ(u32(central, 24), 200u);
    EXPECT_EQ(u32(central, 42), 0xFFFFFFFFu);
    EXPECT_EQ(u16(central, 30), 9 + 12);
    const std::size_t zip64 = 46 + 5 + 9;
    EXPECT_EQ(u16(central, zip64), 0x0001);
    EXPECT_EQ(u16(central, zip64 + 2), 8);
    EXPECT_EQ(u64(central, zip64 + 4), 0x1'0000'0010u);

    entry.zip64Sizes = true;
    entry.uncompressedSize = 0x1'0000'0000;
    central.clear();
    appendCentralHeader(central, entry);
    EXPECT_EQ(u16(central, 30), 9 + 28);
    EXPECT_EQ(u64(central, zip64 + 4), 0x1'0000'0000u);
    EXPECT_EQ(u64(central, zip64 + 12), 100u);
    EXPECT_EQ(u64(central, zip64 + 20), 0x1'0000'0010u);
}

TEST(ZipRecords, EndRecordGetsZip64RecordAndLocatorWhenCountOrOffsetOverflow) {
    Bytes classic;
    appendEndOfCentralDirectory(classic, 0xFFFE, 1000, 0xFFFFFFFE);
    ASSERT_EQ(classic.size(), 22u);
    EXPECT_EQ(u16(classic, 8), 0xFFFE);
    EXPECT_EQ(u32(classic, 16), 0xFFFFFFFEu);

    for (const auto& [count, offset] : {std::pair<std::uint64_t, std::uint64_t>{0xFFFF, 1000},
                                        {70000, 1000},
                                        {3, 0x1'0000'0000}}) {
        Bytes end;
        appendEndOfCentralDirectory(end, count, 500, offset);
        ASSERT_EQ(end.size(), 56u + 20 + 22);
        EXPECT_EQ(u32(end, 0), Zip64EndRecordSignature);
        EXPECT_EQ(u64(end, 4), 44u);
        EXPECT_EQ(u64(end, 24), count);
        EXPECT_EQ(u64(end, 32), count);
        EXPECT_EQ(u64(end, 40), 500u);
        EXPECT_EQ(u64(end, 48), offset);
        EXPECT_EQ(u32(end, 56), Zip64LocatorSignature);
        EXPECT_EQ(u64(end, 64), offset + 500); // where the Zip64 end record starts
        EXPECT_EQ(u32(end, 72), 1u);
        EXPECT_EQ(u32(end, 76), EndRecordSignature);
        EXPECT_EQ(u16(end, 84), count >= 0xFFFF ? 0xFFFF : count);
        EXPECT_EQ(u32(end, 92), offset >= 0xFFFFFFFF ? 0xFFFFFFFF : offset);
    }
}

TEST(DosTime, LocalTimeIsEncodedAndOutOfRangeYearsAreClamped) {
    test::ScopedTimeZone zone("CET-1");
    const DosTimestamp stamp = dosTimestampFromUnix(test::localTime(2021, 3, 4, 10, 15, 37));
    EXPECT_EQ(stamp.time, (10 << 11) | (15 << 5) | 18);
    EXPECT_EQ(stamp.date, (41 << 9) | (3 << 5) | 4);
    EXPECT_EQ(unixFromDosTimestamp(stamp), test::localTime(2021, 3, 4, 10, 15, 36));

    const DosTimestamp early = dosTimestampFromUnix(0); // 1970
    EXPECT_EQ(early.date, (0 << 9) | (1 << 5) | 1);
    EXPECT_EQ(early.time, 0);
    const DosTimestamp late = dosTimestampFromUnix(test::localTime(2200, 6, 1, 0, 0, 0));
    EXPECT_EQ(late.date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(late.time, (23 << 11) | (59 << 5) | 29);

    EXPECT_EQ(extendedTimeFromUnix(-5), -5);
    EXPECT_EQ(extendedTimeFromUnix(std::int64_t{1} << 40), 0x7FFFFFFF);
}

TEST(ExtendedTimestamp, ReadsTheFirstUtBlockAndOnlyWhatItsSizeAndTheFieldHold) {
    // Another block first, then "UT" with all three times.
    const Bytes full = {0x75, 0x78, 2, 0, 9, 9, 0x55, 0x54, 13, 0, 7, 1,
                        0,    0,    0, 2, 0, 0, 0,    3,    0,  0, 0};
    ExtendedTimestampReading times = readExtendedTimestamp(full.data(), full.size());
    EXPECT_EQ(times.modification, 1);
    EXPECT_EQ(times.access, 2);
    EXPECT_EQ(times.creation, 3);

    // The block declares 13 bytes but the field ends after the modification time.
    const Bytes cut(full.begin(), full.begin() + 6 + 4 + 1 + 4 + 2);
    times = readExtendedTimestamp(cut.data(), cut.size());
    EXPECT_EQ(times.modification, 1);
    EXPECT_FALSE(times.access.has_value());

    // The block declares only 5 bytes although its flags announce three times.
    Bytes small = full;
    small[8] = 5;
    times = readExtendedTimestamp(small.data(), small.size());
    EXPECT_EQ(times.modification, 1);
    EXPECT_FALSE(times.access.has_value());
    EXPECT_FALSE(times.creation.has_value());

    const Bytes headerOnly = {0x55, 0x54, 13, 0};
    EXPECT_FALSE(readExtendedTimestamp(headerOnly.data(), headerOnly.size()).modification);
}

} // namespace
} // namespace tarvo::zip
