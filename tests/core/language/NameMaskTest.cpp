// Names hidden for anonymous grading, in the texts the panel shows.
#include "language/NameMask.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(NameMaskTest, NamesAsWrittenAndAsHeardBecomeTheirPlaceInTheClass) {
    const NameMask mask({"Nadia Ford", "Zoë Park", "Liam O'Brien-Walsh", "Ann Lee", "Mark Ann"});
    EXPECT_EQ(mask.masked("Note → Nadia Ford · Intro: “Strong opening.”"),
              "Note → Student 1 · Intro: “Strong opening.”");
    EXPECT_EQ(mask.masked("heard: zoe park intro complete"), "heard: Student 2 intro complete");
    EXPECT_EQ(mask.masked("→ Liam O'Brien-Walsh"), "→ Student 3");
    EXPECT_EQ(mask.masked("nadia conclusion mostly"), "Student 1 conclusion mostly")
        << "a first name alone";
    EXPECT_EQ(mask.masked("Which one — Ann Lee or Mark Ann?"),
              "Which one — Student 4 or Student 5?");
    EXPECT_EQ(mask.masked("ann said lee"), "Student ? said Student 4")
        << "a word of two students' names names neither";
    EXPECT_EQ(mask.masked("Annotated, Leeward, FORDS"), "Annotated, Leeward, FORDS")
        << "whole words only";
    EXPECT_EQ(mask.masked("mark intro"), "mark intro") << "a command word is not a name";
    EXPECT_EQ(mask.masked(""), "");
}

TEST(NameMaskTest, StudentNumbersTypedBackAreTheNames) {
    const NameMask mask({"Nadia Ford", "Zoë Park"});
    EXPECT_EQ(mask.unmasked("Student 2 intro complete"), "Zoë Park intro complete");
    EXPECT_EQ(mask.unmasked("student 1, then Student 3 and student 99999999999"),
              "Nadia Ford, then Student 3 and student 99999999999")
        << "numbers outside the class stay";
    EXPECT_EQ(mask.unmasked(mask.masked("nadia ford evidence mostly")),
              "Nadia Ford evidence mostly");
}

} // namespace
} // namespace kelvarn
