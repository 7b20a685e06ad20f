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

TEST(RosterTest, LeavesOutAHeadingOnTheFirstLineOnlyAndCountsEveryLineThatNamesNoOne) {
    const auto parsed = roster::parse("Name\r\nNadia Ford\r\n\r\n# Section 2\r\nnadia ford\r\n"
                                      "\x1b[2J\r\nOmar Haddad\r\n");
    EXPECT_EQ(parsed.names, (Names{"Nadia Ford", "Omar Haddad"}));
    EXPECT_EQ(parsed.ignoredLines, 4u) << "the heading, a blank, a comment and a repeat";
    EXPECT_EQ(parsed.skippedLines, 1u);
    EXPECT_EQ(parsed.leftOutLines(), 5u) << "a CR LF ends one line, and the last line end none";

    for (const char* heading : {"Students", "  STUDENT   name ", "student names", "Student"}) {
        EXPECT_EQ(roster::parse(std::string(heading) + "\nZoë Park").names, Names{"Zoë Park"})
            << heading;
    }
    // Anything more than a bare heading, or a heading below the first line, may be a student.
    EXPECT_EQ(roster::parse("Zoë Park\nName").names, (Names{"Zoë Park", "Name"}));
    EXPECT_EQ(roster::parse("\nName\nZoë Park").names, (Names{"Name", "Zoë Park"}));
    EXPECT_EQ(roster::parse("Name:\nZoë Park").names, (Names{"Name:", "Zoë Park"}));
    EXPECT_EQ(roster::parse("Student Park\n").names, Names{"Student Park"});
    EXPECT_EQ(roster::parse("Name, Student").names, (Names{{"Student Name", "Name"}}));
    EXPECT_EQ(roster::parse("Names\n\n").leftOutLines(), 2u);
    EXPECT_EQ(roster::parse("").leftOutLines(), 0u);
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
