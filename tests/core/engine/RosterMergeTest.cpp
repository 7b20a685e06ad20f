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

TEST(RosterMergeTest, AddsTheNewNamesAndKeepsEveryStudentGradedOrNot) {
    testing::StoreHarness h({"Nadia Ford", "Omar Haddad", "Ben Ode", "Cy Park", "Ida Berg"});
    h.store.setLevel(Level::mostly, h.id(0), SectionID::intro);
    h.store.editNotes("short", SectionNotes{h.id(3), SectionID::style});
    h.store.focusStudent(h.id(2));
    const StudentList before = h.store.session().students;
    h.newFeed();

    h.store.loadRoster({"Lena Cruz", "NADIA FORD", "ben ode", "Zoë Park"}, 2);
    EXPECT_EQ(names(h.store), (Lines{"Nadia Ford", "Omar Haddad", "Ben Ode", "Cy Park", "Ida Berg",
                                     "Lena Cruz", "Zoë Park"}))
        << "graded or not, listed or not, nobody leaves; new names join at the end";
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(h.store.session().students.sharesRecord(before, i)) << "untouched: " << i;
    }
    EXPECT_EQ(h.newFeed(), (Lines{"action: Loaded roster: added 2, already there 2, skipped 2"}));
    EXPECT_EQ(h.store.session().focus.studentID, h.id(2)) << "the focused student stays";

    h.store.undo();
    EXPECT_EQ(h.store.session().students, before) << "one step";
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: ↩︎ Undid: Loaded roster: added 2, already there 2, skipped 2"}));

    h.store.loadRoster(std::vector<RosterName>{});
    EXPECT_EQ(h.store.session().students, before) << "an empty list removes no one";
}

TEST(RosterMergeTest, ARosterThatAddsNobodyIsStillReportedButRecordsNoStep) {
    testing::StoreHarness h({"Nadia Ford", "Omar Haddad"});
    h.newFeed();
    const auto entries = h.store.undoStack().size();
    h.store.loadRoster({"omar haddad", "Nadia Ford"});
    EXPECT_EQ(h.store.undoStack().size(), entries);
    EXPECT_EQ(h.newFeed(), (Lines{"action: Loaded roster: added 0, already there 2, skipped 0"}));

    // A file's lines that are not names are counted, and those that don't look like names said.
    h.store.loadRoster(roster::parse("Students\nLena Cruz\n\nomar haddad\n12345\n"));
    EXPECT_EQ(names(h.store), (Lines{"Nadia Ford", "Omar Haddad", "Lena Cruz"}));
    EXPECT_EQ(h.newFeed(), (Lines{"action: Loaded roster: added 1, already there 1, skipped 3",
                                  "warning: Skipped 1 line(s) that don't look like names"}));
    EXPECT_EQ(h.store.lastUndoLabel(), "Loaded roster: added 1, already there 1, skipped 3");
}

TEST(RosterMergeTest, TheParserFollowsRosterLoadsAndTheirUndo) {
    testing::StoreHarness h({"Omar Haddad"});
    h.store.loadRoster({"Lena Cruz"});
    const auto lena = h.id(1);
    h.store.handleTranscript("Lena Cruz");
    EXPECT_EQ(h.store.session().focus.studentID, lena);
    h.store.handleTranscript("Omar Haddad");
    EXPECT_EQ(h.store.session().focus.studentID, h.id(0)) << "still in the class";

    h.store.undo();
    h.store.undo();
    h.store.undo();
    h.store.handleTranscript("Lena Cruz");
    EXPECT_EQ(h.store.session().focus, Focus{}) << "an undone student's name is a note now";
    EXPECT_EQ(names(h.store), (Lines{"Omar Haddad"}));
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
