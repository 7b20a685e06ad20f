#include "persistence/Roster.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Names = std::vector<std::string>;

TEST(RosterTest, SkipsCommentsAndBlanksAndDropsLaterCaseVariants) {
    EXPECT_EQ(roster::parse("# Section 2\n\nFord, Nadia\nnadia  ford\nOmar Haddad\r\n"),
              (Names{"Nadia Ford", "Omar Haddad"}));
    EXPECT_EQ(roster::parse("ÉLISE ZORN\n  #not a name\n\t \nélise zorn\nZoë\nZOË"),
              (Names{"ÉLISE ZORN", "Zoë"}));
    EXPECT_EQ(roster::parse(""), Names{});
    EXPECT_EQ(roster::parse("\r\n \t\n# only comments"), Names{});
}

TEST(RosterTest, ReordersSurnameFirstAtTheFirstCommaOnly) {
    EXPECT_EQ(roster::parse("Ford, Nadia, Jr"), Names{"Nadia, Jr Ford"});
    EXPECT_EQ(roster::parse("Ford,"), Names{"Ford,"});
    EXPECT_EQ(roster::parse("Ford,  \t"), Names{"Ford,"});
    EXPECT_EQ(roster::parse(",Nadia"), Names{",Nadia"});
    EXPECT_EQ(roster::parse("  Lopez ,  Anna   Maria  "), Names{"Anna Maria Lopez"});
    EXPECT_EQ(roster::parse("Ford,Nadia\nNadia Ford"), Names{"Nadia Ford"});
}

TEST(RosterTest, SplitsAtEveryLineEndAndTrimsOnlyBlanks) {
    EXPECT_EQ(roster::parse("A\u2028B\u2029C\u0085D\vE\fF\rG\r\nH"),
              (Names{"A", "B", "C", "D", "E", "F", "G", "H"}));
    // A no-break space is trimmed at the ends like a space; inside a name only spaces collapse.
    EXPECT_EQ(roster::parse("\u00a0Zoë\u00a0Ford\u00a0\n\tBen\t\tOkafor\t"),
              (Names{"Zoë\u00a0Ford", "Ben\t\tOkafor"}));
}

TEST(RosterTest, RepairsInvalidUtf8InsteadOfDroppingNames) {
    EXPECT_EQ(roster::parse("Nadia F\xf6rd\nOmar\xc3"), (Names{"Nadia F\uFFFDrd", "Omar\uFFFD"}));
}

} // namespace
} // namespace kelvarn
