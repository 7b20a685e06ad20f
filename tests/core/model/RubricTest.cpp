#include "model/Rubric.h"
#include "model/Level.h"
#include "model/SectionID.h"
#include "model/StudentRecord.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(RubricTest, WeightsAndPointsFollowTheRubric) {
    double sum = 0;
    for (SectionID section : sections::allCases) {
        sum += sections::weight(section);
    }
    EXPECT_EQ(sum, rubric::maxPoints);
    EXPECT_EQ(rubric::maxScore, 5.0);

    EXPECT_DOUBLE_EQ(sections::points(SectionID::evidence, Level::mostly), 14.96);
    EXPECT_DOUBLE_EQ(sections::points(SectionID::intro, Level::somewhat), 12.92);
    EXPECT_DOUBLE_EQ(sections::points(SectionID::claims, Level::incomplete), 10.88);
    EXPECT_DOUBLE_EQ(sections::points(SectionID::conclusion, Level::mostly), 14.08);
    EXPECT_DOUBLE_EQ(sections::points(SectionID::style, Level::incomplete), 10.24);
    EXPECT_DOUBLE_EQ(sections::points(SectionID::style, Level::complete), 16.0);
}

TEST(RubricTest, TotalsAndScoresOfWholeRecords) {
    const auto complete = testing::fullyGraded("A", Level::complete);
    EXPECT_DOUBLE_EQ(complete.totalPoints(), 100.0);
    EXPECT_DOUBLE_EQ(complete.score(), 5.0);
    EXPECT_TRUE(complete.isComplete());

    const auto incomplete = testing::fullyGraded("B", Level::incomplete);
    EXPECT_DOUBLE_EQ(incomplete.totalPoints(), 64.0);
    EXPECT_DOUBLE_EQ(incomplete.score(), 3.2);

    const StudentRecord empty(Uuid::generate(), "C");
    EXPECT_EQ(empty.totalPoints(), 0.0);
    EXPECT_EQ(empty.score(), 0.0);
    EXPECT_FALSE(empty.isStarted());
}

TEST(RubricTest, RawValuesAreExactAndCaseSensitive) {
    EXPECT_EQ(sections::fromRawValue("evidence"), SectionID::evidence);
    EXPECT_EQ(sections::fromRawValue("Evidence"), std::nullopt);
    EXPECT_EQ(sections::fromRawValue("INTRO"), std::nullopt);
    EXPECT_EQ(sections::fromRawValue(""), std::nullopt);
    EXPECT_EQ(levels::fromRawValue("mostly"), Level::mostly);
    EXPECT_EQ(levels::fromRawValue("Mostly"), std::nullopt);
    EXPECT_EQ(levels::fromRawValue("incomplete "), std::nullopt);

    for (SectionID section : sections::allCases) {
        EXPECT_EQ(sections::fromRawValue(sections::rawValue(section)), section);
    }
    for (Level level : levels::allCases) {
        EXPECT_EQ(levels::fromRawValue(levels::rawValue(level)), level);
    }
}

TEST(RubricTest, TitlesAndAliases) {
    EXPECT_EQ(levels::title(Level::complete), "Complete");
    EXPECT_EQ(levels::shortLabel(Level::somewhat), "S");
    EXPECT_EQ(sections::shortTitle(SectionID::style), "Structure & Style");
    EXPECT_EQ(sections::title(SectionID::intro), "Introduction, Thesis and Roadmap");
    EXPECT_EQ(sections::spokenAliases(SectionID::intro).size(), 7u);
    EXPECT_EQ(sections::spokenAliases(SectionID::style).front(), "general structure and style");
    EXPECT_EQ(levels::spokenAliases(Level::incomplete).back(), "not complete");
    EXPECT_EQ(std::string(rubric::title) + " — " + std::string(rubric::course),
              "Essay Exam #1 — Introduction to Politics I · HUM 2040");
}

} // namespace
} // namespace kelvarn
