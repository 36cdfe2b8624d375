#include "app/progress_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

TEST(ProgressText, CountsInSixtyFourBitsPastFourGibibytes) {
    const std::int64_t gib = std::int64_t{1} << 30;
    EXPECT_EQ(progressText(1024 * 1024, 2275 * 1024), "45%  1024KB / 2275KB");
    EXPECT_EQ(progressText(5 * gib, 10 * gib), "50%  5242880KB / 10485760KB");
    EXPECT_EQ(speedText(5 * gib), "5242880 KB/s") << "not the low 32 bits";
    EXPECT_EQ(speedText(1023), "0 KB/s");
    EXPECT_EQ(speedText(-4096), "0 KB/s") << "a count that went back";
}

TEST(ProgressText, TransferTicksReadAsTimeLeftAndSpeed) {
    const std::pair<std::int64_t, const char*> times[] = {{59, "59sec"},         {60, "1min 0sec"},
                                                          {3599, "59min 59sec"}, {3600, "1h 0min"},
                                                          {3725, "1h 2min"},     {-3, "-3sec"}};
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(timeLeftText(seconds), text) << seconds;
    EXPECT_EQ(transferSpeedText(1024), "1024 B/s");
    EXPECT_EQ(transferSpeedText(1025), "1 KB/s");
    const std::int64_t over31 = (std::int64_t{1} << 31) + 4096;
    EXPECT_EQ(transferSpeedText(over31), "2097156 KB/s") << "not the low 32 bits";
    // A quarter done after 10 ticks: 30 more to go.
    EXPECT_EQ(transferText(256 * 1024, 1024 * 1024, 10), "25%  256KB / 1024KB 30sec");
    EXPECT_EQ(transferText(2048, 0, 4), "100%  2KB / 0KB 0sec") << "size not known";
    EXPECT_EQ(transferText(0, 4096, 1), "");
}
