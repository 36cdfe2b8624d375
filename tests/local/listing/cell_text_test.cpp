#include "local/listing/cell_text.h"
#include "local/listing/search_record.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>

namespace listing = tarvo::listing;

namespace {

// Pins the local time zone to UTC+3 (no daylight saving) so that a time that is midnight in
// UTC is not midnight locally, and the other way round.
class DateTextTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("TZ"))
            oldZone_ = old;
        ::setenv("TZ", "XST-3", 1);
        ::tzset();
    }
    void TearDown() override {
        if (oldZone_)
            ::setenv("TZ", oldZone_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    // 2024-03-15 00:00:00 in the pinned zone.
    static constexpr std::int64_t kLocalMidnight = 1710450000;

private:
    std::optional<std::string> oldZone_;
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

TEST_F(DateTextTest, MidnightShowsTheDateAlone) {
    EXPECT_EQ(listing::dateText(kLocalMidnight, QLocale("en_US")), "3/15/24");
    EXPECT_EQ(listing::dateText(kLocalMidnight, QLocale("de_DE")), "15.03.24");
}

TEST_F(DateTextTest, OtherTimesShowDateAndTimeWithoutZone) {
    const std::int64_t afternoon = kLocalMidnight + 13 * 3600 + 2 * 60 + 3;
    EXPECT_EQ(listing::dateText(afternoon, QLocale("de_DE")), "15.03.24 13:02:03");
    const QString american = listing::dateText(afternoon, QLocale("en_US"));
    EXPECT_TRUE(american.startsWith(QStringLiteral("3/15/24 1:02:03"))) << qPrintable(american);
    EXPECT_TRUE(american.endsWith(QStringLiteral("PM"))) << qPrintable(american);
    // One second past midnight is not midnight; midnight in UTC is 03:00 here.
    EXPECT_EQ(listing::dateText(kLocalMidnight + 1, QLocale("de_DE")), "15.03.24 00:00:01");
    EXPECT_EQ(listing::dateText(kLocalMidnight + 3 * 3600, QLocale("de_DE")), "15.03.24 03:00:00");
}
