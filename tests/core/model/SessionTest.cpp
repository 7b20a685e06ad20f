#include "model/Session.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(SessionTest, IndexFindsTheFirstMatchingRecord) {
    Session session = testing::sessionWithStudents({"Ada", "Ben"});
    const Uuid ben = session.students[1].id;
    EXPECT_EQ(session.index(ben), 1u);
    EXPECT_EQ(session.index(std::nullopt), std::nullopt);
    EXPECT_EQ(session.index(Uuid::generate()), std::nullopt);

    session.students.push_back(StudentRecord(ben, "Ben again"));
    EXPECT_EQ(session.index(ben), 1u);
}

TEST(SessionTest, FocusedStudentFollowsTheFocusID) {
    Session session = testing::sessionWithStudents({"Ada"});
    EXPECT_EQ(session.focusedStudent(), std::nullopt);
    session.focus.studentID = session.students[0].id;
    ASSERT_TRUE(session.focusedStudent());
    EXPECT_EQ(session.focusedStudent()->name, "Ada");
    session.focus.studentID = Uuid::generate();
    EXPECT_EQ(session.focusedStudent(), std::nullopt);
}

TEST(SessionTest, NotesReadWithoutCreatingAndWriteCreatingEntries) {
    Session session = testing::sessionWithStudents({"Ada"});
    const Uuid ada = session.students[0].id;
    const NotesTarget evidence = SectionNotes{ada, SectionID::evidence};

    EXPECT_EQ(session.notes(evidence), "");
    EXPECT_TRUE(session.students[0].sections.empty());

    session.setNotes("Cites two sources.", evidence);
    EXPECT_EQ(session.notes(evidence), "Cites two sources.");
    const SectionGrade grade = session.students[0].grade(SectionID::evidence);
    EXPECT_EQ(grade.level, std::nullopt);
    EXPECT_EQ(grade.notes, "Cites two sources.");

    session.setNotes("", evidence);
    EXPECT_EQ(session.students[0].sections.count(SectionID::evidence), 1u);

    session.setNotes("Strong overall.", OverallNotes{ada});
    EXPECT_EQ(session.notes(OverallNotes{ada}), "Strong overall.");

    const Session before = session;
    session.setNotes("lost", OverallNotes{Uuid::generate()});
    session.setNotes("lost", SectionNotes{Uuid::generate(), SectionID::intro});
    EXPECT_EQ(session, before);
    EXPECT_EQ(session.notes(OverallNotes{Uuid::generate()}), "");
}

TEST(SessionTest, GradedCountStartedAndComplete) {
    StudentRecord notesOnly(Uuid::generate(), "Ada");
    notesOnly.sections[SectionID::claims].notes = "weak";
    EXPECT_TRUE(notesOnly.isStarted());
    EXPECT_EQ(notesOnly.gradedCount(), 0);
    EXPECT_EQ(notesOnly.totalPoints(), 0.0);
    EXPECT_EQ(notesOnly.grade(SectionID::intro), SectionGrade{});
    EXPECT_EQ(notesOnly.sections.count(SectionID::intro), 0u);

    StudentRecord fiveOfSix = testing::fullyGraded("Ben", Level::complete);
    fiveOfSix.sections[SectionID::analysis].level.reset();
    EXPECT_EQ(fiveOfSix.gradedCount(), 5);
    EXPECT_FALSE(fiveOfSix.isComplete());
    EXPECT_DOUBLE_EQ(fiveOfSix.totalPoints(), 83.0);

    StudentRecord overallOnly(Uuid::generate(), "Cy");
    overallOnly.overallNotes = "x";
    EXPECT_TRUE(overallOnly.isStarted());
}

} // namespace
} // namespace kelvarn
