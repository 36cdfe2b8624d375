#include "local/listing/cell_text.h"
#include "local/listing/search_record.h"

#include "support/scoped_time_zone.h"

#include <gtest/gtest.h>

namespace listing = tarvo::listing;

namespace {

// UTC+3 without daylight saving: midnight in UTC is not midnight locally, and the other way round.
class DateTextTest : public testing::Test {
protected:
    ScopedTimeZone zone{"XST-3"};
    // 2024-03-15 00:00:00 in that zone.
    static constexpr std::int64_t kLocalMidnight = 1710450000;
};

} // namespace

TEST(CellText, AttributeLettersInFixedOrder) {
    EXPECT_EQ(listing::attributeText(listing::Archive), "-a--");
    EXPECT_EQ(listing::attributeText(listing::Directory), "----");
    EXPECT_EQ(listing::attributeText(listing::ReadOnly | listing::Archive | listing::Hidden |
                                     listing::System),
              "rahs");
    EXPECT_EQ(listing::attributeText(listing::ReadOnly | listing::Hidden), "r-h-");
}

TEST_F(DateTextTest, MidnightShowsTheDateAloneAndOtherTimesDateAndTimeWithoutZone) {
    EXPECT_EQ(listing::dateText(kLocalMidnight, QLocale("en_US")), "3/15/24");
    EXPECT_EQ(listing::dateText(kLocalMidnight, QLocale("de_DE")), "15.03.24");
    const std::int64_t afternoon = kLocalMidnight + 13 * 3600 + 2 * 60 + 3;
    EXPECT_EQ(listing::dateText(afternoon, QLocale("de_DE")), "15.03.24 13:02:03");
    const QString american = listing::dateText(afternoon, QLocale("en_US"));
    EXPECT_TRUE(american.startsWith(QStringLiteral("3/15/24 1:02:03"))) << qPrintable(american);
    EXPECT_TRUE(american.endsWith(QStringLiteral("PM"))) << qPrintable(american);
    // One second past midnight is not midnight; midnight in UTC is 03:00 here.
    EXPECT_EQ(listing::dateText(kLocalMidnight + 1, QLocale("de_DE")), "15.03.24 00:00:01");
    EXPECT_EQ(listing::dateText(kLocalMidnight + 3 * 3600, QLocale("de_DE")), "15.03.24 03:00:00");
}
