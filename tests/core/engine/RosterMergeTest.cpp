#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> names(const GradingStore& store) {
    std::vector<std::string> out;
    for (const auto& record : store.session().students) {
        out.push_back(record.name);
    }
    return out;
}

TEST(RosterMergeTest, KeepsListedRecordsAddsNewOnesAndDropsUnstartedOnes) {
    testing::StoreHarness h({"Nadia Ford", "Omar Haddad"});
    h.store.setLevel(Level::mostly, h.id(0), SectionID::intro);
    const StudentRecord nadia = h.record(0);
    h.newFeed();

    h.store.loadRoster({"Lena Cruz", "NADIA FORD"});
    EXPECT_EQ(names(h.store), (Lines{"Lena Cruz", "Nadia Ford"}));
    EXPECT_EQ(h.record(1), nadia) << "same id, spelling and grades";
    EXPECT_EQ(h.newFeed(), (Lines{"action: Loaded roster (2 students)"}));
    EXPECT_EQ(h.store.session().focus, (Focus{nadia.id, SectionID::intro}))
        << "a focused student who stays keeps the focus and the section";

    const auto entries = h.store.undoStack().size();
    h.store.loadRoster({"Lena Cruz", "Nadia Ford"});
    EXPECT_EQ(h.store.undoStack().size(), entries) << "the same roster again records nothing";
    EXPECT_TRUE(h.newFeed().empty());
}

TEST(RosterMergeTest, GradedStudentsMissingFromTheListAreKeptWithAWarning) {
    testing::StoreHarness h({"Omar Haddad", "Ben Ode", "Cy Park"});
    h.store.editNotes("late", OverallNotes{h.id(0)});
    h.store.editNotes("short", SectionNotes{h.id(2), SectionID::style});
    h.store.focusStudent(h.id(1));
    h.newFeed();

    h.store.loadRoster({"Lena Cruz"});
    EXPECT_EQ(names(h.store), (Lines{"Lena Cruz", "Omar Haddad", "Cy Park"}));
    EXPECT_EQ(h.store.session().focus, Focus{}) << "the focused student was dropped";
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: Loaded roster (1 students)",
                     "warning: Kept 2 graded student(s) not in the new roster: Omar Haddad, "
                     "Cy Park"}));

    h.store.undo();
    EXPECT_EQ(names(h.store), (Lines{"Omar Haddad", "Ben Ode", "Cy Park"}));
    EXPECT_EQ(h.store.session().focus.studentID, h.id(1));

    h.store.loadRoster({});
    EXPECT_EQ(names(h.store), (Lines{"Omar Haddad", "Cy Park"}));
}

TEST(RosterMergeTest, TheParserFollowsRosterLoadsAndTheirUndo) {
    testing::StoreHarness h({"Omar Haddad"});
    h.store.loadRoster({"Lena Cruz"});
    const auto lena = h.id(0);
    h.store.handleTranscript("Omar Haddad");
    EXPECT_EQ(h.store.session().focus, Focus{}) << "a removed student's name is a note now";
    h.store.handleTranscript("Lena Cruz");
    EXPECT_EQ(h.store.session().focus.studentID, lena);

    h.store.undo();
    h.store.undo();
    h.store.handleTranscript("Omar Haddad");
    EXPECT_EQ(h.store.session().focus.studentID, h.id(0));
    EXPECT_EQ(h.record(0).name, "Omar Haddad");
}

TEST(RosterMergeTest, KeepsWhatTheRosterSaysOfTheSurnameAndNamesStudentsByIt) {
    testing::StoreHarness h({"Lucía Fernández Ruiz"});
    const Uuid lucia = h.id(0);
    h.store.loadRoster({{"Lucía Fernández Ruiz", "Fernández Ruiz"}, "Omar Haddad"});
    EXPECT_EQ(h.record(0).id, lucia);
    EXPECT_EQ(h.record(0).surname, "Fernández Ruiz");
    EXPECT_EQ(h.record(1).surname, std::nullopt);

    h.store.handleTranscript("Lucía Fernández");
    EXPECT_EQ(h.store.session().focus.studentID, lucia) << "the parser knows the new keys";
    const auto vocabulary = h.store.recognizerVocabulary();
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "lucia fernandez"));
}

} // namespace
} // namespace kelvarn
