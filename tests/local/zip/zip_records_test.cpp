// Decisions and conversions that are hard to reach through whole archives: when Zip64 records
// are needed (real archives only need them past 4 GiB), DOS time clamping and the bounds of the
// "UT" parser.

#include "zip_test_support.h"

#include "local/zip/dos_time.h"
#include "local/zip/zip_records.h"

#include <gtest/gtest.h>

namespace tarvo::zip {
namespace {

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

    // Only a stream past 4 GiB needs the eight-byte sizes of a Zip64 data descriptor.
    Bytes descriptor;
    appendDataDescriptor(descriptor, entry);
    ASSERT_EQ(descriptor.size(), 24u);
    EXPECT_EQ(getU64(descriptor.data() + 8), 100u);
    EXPECT_EQ(getU64(descriptor.data() + 16), 0x100000000u);
}

TEST(DosTime, LocalTimeIsEncodedAndLateYearsAreClamped) {
    ScopedTimeZone zone("CET-1");
    const DosTimestamp stamp = dosTimestampFromUnix(test::localTime(2021, 3, 4, 10, 15, 37));
    EXPECT_EQ(stamp.time, (10 << 11) | (15 << 5) | 18);
    EXPECT_EQ(stamp.date, (41 << 9) | (3 << 5) | 4);
    EXPECT_EQ(unixFromDosTimestamp(stamp), test::localTime(2021, 3, 4, 10, 15, 36));

    const DosTimestamp late = dosTimestampFromUnix(test::localTime(2200, 6, 1, 0, 0, 0));
    EXPECT_EQ(late.date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(late.time, (23 << 11) | (59 << 5) | 29);

    EXPECT_EQ(extendedTimeFromUnix(-5), -5);
    EXPECT_EQ(extendedTimeFromUnix(std::int64_t{1} << 40), 0x7FFFFFFF);
}

// A field cut short is read in the archives of the hostile tests; here the block itself
// declares less than its flags announce.
TEST(ExtendedTimestamp, ReadsOnlyWhatTheBlockDeclares) {
    const Bytes field = {0x55, 0x54, 5, 0, 7, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    const ExtendedTimestampReading times = readExtendedTimestamp(field.data(), field.size());
    EXPECT_EQ(times.modification, 1);
    EXPECT_FALSE(times.access.has_value());
    EXPECT_FALSE(times.creation.has_value());
}

} // namespace
} // namespace tarvo::zip
