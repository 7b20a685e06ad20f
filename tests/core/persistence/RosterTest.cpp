#include "persistence/Roster.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Names = std::vector<RosterName>;

TEST(RosterTest, SkipsCommentsAndBlanksAndDropsLaterCaseVariants) {
    EXPECT_EQ(roster::parse("# Section 2\n\nFord, Nadia\nnadia  ford\nOmar Haddad\r\n").names,
              (Names{{"Nadia Ford", "Ford"}, "Omar Haddad"}));
    EXPECT_EQ(roster::parse("ÉLISE ZORN\n  #not a name\n\t \nélise zorn\nZoë\nZOË").names,
              (Names{"ÉLISE ZORN", "Zoë"}));
    EXPECT_EQ(roster::parse("").names, Names{});
    EXPECT_EQ(roster::parse("\r\n \t\n# only comments").names, Names{});
}

TEST(RosterTest, ReordersSurnameFirstAtTheFirstCommaOnly) {
    EXPECT_EQ(roster::parse("Ford, Nadia, Jr").names, (Names{{"Nadia, Jr Ford", "Ford"}}));
    EXPECT_EQ(roster::parse("Ford,").names, Names{"Ford,"});
    EXPECT_EQ(roster::parse("Ford,  \t").names, Names{"Ford,"});
    EXPECT_EQ(roster::parse(",Nadia").names, Names{",Nadia"});
    EXPECT_EQ(roster::parse("  Lopez ,  Anna   Maria  ").names,
              (Names{{"Anna Maria Lopez", "Lopez"}}));
    EXPECT_EQ(roster::parse("Ford,Nadia\nNadia Ford").names, (Names{{"Nadia Ford", "Ford"}}));
}

TEST(RosterTest, SplitsAtEveryLineEndAndTrimsOnlyBlanks) {
    EXPECT_EQ(roster::parse("A\u2028B\u2029C\u0085D\vE\fF\rG\r\nH").names,
              (Names{"A", "B", "C", "D", "E", "F", "G", "H"}));
    // A no-break space is trimmed at the ends like a space; inside a name only spaces collapse.
    EXPECT_EQ(roster::parse("\u00a0Zoë\u00a0Ford\u00a0\n\tBen\t\tOkafor\t").names,
              (Names{"Zoë\u00a0Ford", "Ben\t\tOkafor"}));
}

TEST(RosterTest, RepairsInvalidUtf8InsteadOfDroppingNames) {
    EXPECT_EQ(roster::parse("Nadia F\xf6rd\nOmar\xc3").names,
              (Names{"Nadia F\uFFFDrd", "Omar\uFFFD"}));
}

TEST(RosterTest, SkipsAndCountsLinesThatCannotBeNames) {
    const std::string hundred(100, 'a');
    const std::string essay =
        "The essay argues that the treaty failed because neither side trusted the other.";
    const auto parsed = roster::parse("Nadia Ford\n"
                                      "Omar \x1b[31mHaddad\n"
                                      "Lena\x7f Cruz\n"
                                      "Ben \u009b Okafor\n"
                                      "12345\n"
                                      "\xff\xfe\n" +
                                      essay + "\n" + hundred + "\n" + hundred +
                                      "b\n"
                                      "One Two Three Four Five Six Seven Eight\n"
                                      "One Two Three Four Five Six Seven Eight Nine\n"
                                      "# a comment\n\n"
                                      "NADIA FORD\n");
    EXPECT_EQ(parsed.names,
              (Names{"Nadia Ford", hundred, "One Two Three Four Five Six Seven Eight"}));
    EXPECT_EQ(parsed.skippedLines, 8u) << "comments, blanks and repeats are not counted";

    // A hundred user-perceived characters, each several code points, are still a name.
    std::string accented;
    for (int i = 0; i < 100; ++i) {
        accented += "e\u0301";
    }
    EXPECT_EQ(roster::parse(accented).names.size(), 1u);
}

TEST(RosterTest, RefusesBinaryTextIgnoresAByteOrderMarkAndComposesNames) {
    EXPECT_EQ(roster::parse(std::string("Nadia Ford\nOmar\0Haddad\n", 23)), roster::Parsed{});
    EXPECT_EQ(roster::parse("\xEF\xBB\xBFNadia Ford\n").names, Names{"Nadia Ford"});
    // The same name saved composed and decomposed is one student, and comes out composed.
    EXPECT_EQ(roster::parse("A\u030Asa Berg\n\u00C5sa Berg\nBerg, A\u030Asa").names,
              Names{"\u00C5sa Berg"});
}

} // namespace
} // namespace kelvarn
