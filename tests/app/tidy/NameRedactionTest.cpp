#include "tidy/NameRedaction.h"

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

TEST(NameRedactionTest, ReplacesTheWholeNameFirstThenItsPiecesAsWholeWordsInAnyCase) {
    EXPECT_EQ(redact("pat doe did well; Doe cites", "Pat Doe"),
              "[STUDENT] did well; [STUDENT] cites");
    EXPECT_EQ(redact("PAT and pat, DOE's point", "Pat Doe"),
              "[STUDENT] and [STUDENT], [STUDENT]'s point");
    EXPECT_EQ(redact("Patrick and Doers; Pat.", "Pat Doe"), "Patrick and Doers; [STUDENT].")
        << "only whole words";
    EXPECT_EQ(redact("Élise wrote; ÉLISE again", "Élise"), "[STUDENT] wrote; [STUDENT] again");
    EXPECT_EQ(redact("  Mary   Ann  ", "Mary  Ann"), "  [STUDENT]   [STUDENT]  ")
        << "empty pieces between double spaces are dropped";
}

TEST(NameRedactionTest, LeavesOneLetterNamesAndInitials) {
    EXPECT_EQ(redact("X did well, x too", "X"), "X did well, x too");
    EXPECT_EQ(redact("J said; J Smith agreed, Smith too", "J Smith"),
              "J said; [STUDENT] agreed, [STUDENT] too");
}

TEST(NameRedactionTest, TakesNamesLiterallyAndRedactsNamesEdgedWithPunctuation) {
    EXPECT_EQ(redact("A+ (B) is fine; AAA+ too", "A+ (B)"), "[STUDENT] is fine; AAA+ too");
    EXPECT_EQ(redact("J.R. argued well", "J.R."), "[STUDENT] argued well");
    EXPECT_EQ(redact("no name here", "Pat.*"), "no name here");
    EXPECT_EQ(redact("cost $1 or \\1", "$1 \\1"), "cost [STUDENT] or [STUDENT]");
}

TEST(NameRedactionTest, RestoresTheFirstPieceOfTheNameExactlyWherePlaceholdersStand) {
    EXPECT_EQ(restoreName("[STUDENT] did well. [STUDENT]'s claim", "Pat Doe"),
              "Pat did well. Pat's claim");
    EXPECT_EQ(restoreName("[student] and [STUDENT", "Pat Doe"), "[student] and [STUDENT")
        << "only the placeholder exactly as written";
    EXPECT_EQ(restoreName("[STUDENT]", "   "), "   ") << "no piece: the whole name";
    EXPECT_EQ(restoreName("[STUDENT][STUDENT]", "  Li  Wu"), "LiLi");
}

} // namespace
} // namespace kelvarn::tidy
