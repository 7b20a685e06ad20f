#include "model/PointFormat.h"
#include "model/SectionID.h"
#include "support/LocaleGuard.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

void expectTwoDecimalsWithFullStop() {
    EXPECT_EQ(fmt(sections::points(SectionID::evidence, Level::mostly)), "14.96");
    EXPECT_EQ(fmt(17), "17.00");
    EXPECT_EQ(fmt(0), "0.00");
    EXPECT_EQ(fmt(71.76 / 20), "3.59");
    EXPECT_EQ(fmt(1e6 + 0.5), "1000000.50");
    EXPECT_EQ(outOf(14.96, 17), "14.96/17.00");
    EXPECT_EQ(outOf(64.0 / 20, 5), "3.20/5.00");
}

TEST(PointFormatTest, TwoDecimalsWithFullStop) {
    expectTwoDecimalsWithFullStop();
}

TEST(PointFormatTest, IgnoresACommaDecimalLocale) {
    testing::LocaleGuard german("de_DE.UTF-8");
    ASSERT_TRUE(german.active()) << "the de_DE.UTF-8 locale is not installed";
    // Prove the locale really uses a decimal comma, so the check below means something.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", 14.96);
    ASSERT_STREQ(buffer, "14,96");
    expectTwoDecimalsWithFullStop();
}

TEST(PointFormatTest, HugeValuesAreWrittenInFull) {
    EXPECT_EQ(fmt(1e300).size(), 301u + 3u);
}

} // namespace
} // namespace kelvarn
