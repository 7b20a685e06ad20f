#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Lines = std::vector<std::string>;

class CommandExecutionTest : public ::testing::Test {
protected:
    testing::StoreHarness h{{"Nadia Ford", "Omar Haddad", "Nadia Park"}};
    GradingStore& store = h.store;
};

TEST_F(CommandExecutionTest, LevelWithFullContextIsSetAtOnce) {
    store.setLevel(Level::complete, h.id(0), SectionID::intro);
    h.newFeed();
    store.execute(commands::Section{SectionID::evidence});
    store.execute(commands::Level{Level::mostly});
    EXPECT_EQ(h.newFeed(), (Lines{"action: → Use of Evidence",
                                  "action: Evidence → Mostly (14.96/17.00) · Nadia Ford"}));
    EXPECT_EQ(h.record(0).grade(SectionID::evidence).level, Level::mostly);
    EXPECT_EQ(store.undoStack().size(), 3u);

    store.execute(commands::Undo{});
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: ↩︎ Undid: Evidence → Mostly (14.96/17.00) · Nadia Ford"}));
    EXPECT_EQ(h.record(0).grade(SectionID::evidence).level, std::nullopt);
}

TEST_F(CommandExecutionTest, LevelWaitsForASectionOfTheFocusedStudent) {
    store.focusStudent(h.id(0));
    h.newFeed();
    store.execute(commands::Level{Level::mostly});
    EXPECT_EQ(h.newFeed(), (Lines{"question: “Mostly” — for which section?"}));
    EXPECT_EQ(store.pending(), Pending(pending::LevelNeedsSection{Level::mostly}));

    store.execute(commands::Section{SectionID::conclusion});
    EXPECT_EQ(h.newFeed(), (Lines{"action: Conclusion → Mostly (14.08/16.00) · Nadia Ford"}));
    EXPECT_EQ(store.pending(), std::nullopt);
    EXPECT_EQ(store.session().focus, (Focus{h.id(0), SectionID::conclusion}));
}

TEST_F(CommandExecutionTest, SectionAndLevelWaitForAStudentInEitherOrder) {
    store.execute(commands::Section{SectionID::evidence});
    store.execute(commands::Level{Level::complete});
    EXPECT_EQ(h.newFeed(), (Lines{"question: Evidence — which student?",
                                  "question: Evidence → Complete — which student?"}));
    store.execute(commands::Student{h.id(1)});
    EXPECT_EQ(h.newFeed(), (Lines{"action: Evidence → Complete (17.00/17.00) · Omar Haddad"}));
    EXPECT_EQ(store.session().focus, (Focus{h.id(1), SectionID::evidence}));

    store.focusStudent(std::nullopt);
    h.newFeed();
    store.execute(commands::Level{Level::somewhat});
    store.execute(commands::Level{Level::incomplete});
    store.execute(commands::Section{SectionID::style});
    EXPECT_EQ(h.newFeed(), (Lines{"question: “Somewhat” — which student and section?",
                                  "question: “Incomplete” — which student and section?",
                                  "question: Structure & Style → Incomplete — which student?"}));
    // Another section replaces the waiting one and forgets its level.
    store.execute(commands::Section{SectionID::claims});
    EXPECT_EQ(h.newFeed(), (Lines{"question: Claims — which student?"}));
    store.execute(commands::Student{h.id(2)});
    EXPECT_EQ(h.newFeed(), (Lines{"action: → Supporting Claims"}));
    EXPECT_EQ(h.record(2).gradedCount(), 0);
}

TEST_F(CommandExecutionTest, ANameWhileALevelWaitsFocusesAndAsksAgain) {
    store.execute(commands::Level{Level::mostly});
    store.execute(commands::Student{h.id(0)});
    EXPECT_EQ(h.newFeed(),
              (Lines{"question: “Mostly” — which student and section?", "action: → Nadia Ford",
                     "question: “Mostly” — for which section?"}));
    EXPECT_EQ(store.pending(), Pending(pending::LevelNeedsSection{Level::mostly}));
    store.execute(commands::Student{h.id(0)});
    EXPECT_EQ(h.newFeed(), (Lines{"question: “Mostly” — for which section?"}))
        << "the same name again changes nothing but still asks";
}

TEST_F(CommandExecutionTest, AmbiguousNamesAskWhichOne) {
    store.execute(commands::AmbiguousStudent{{h.id(0), h.id(2)}});
    EXPECT_EQ(h.newFeed(), (Lines{"question: Which one: Nadia Ford or Nadia Park?"}));
    store.execute(commands::Student{h.id(2)});
    EXPECT_EQ(h.newFeed(), (Lines{"action: → Nadia Park"}));
    EXPECT_EQ(store.pending(), std::nullopt);

    store.execute(commands::AmbiguousStudent{{h.id(0), Uuid::generate(), h.id(1)}});
    EXPECT_EQ(store.pendingQuestion(), "Which one: Nadia Ford or Omar Haddad?")
        << "ids of removed students are skipped";
    store.cancelPending();
    store.cancelPending();
    EXPECT_EQ(h.newFeed(),
              (Lines{"question: Which one: Nadia Ford or Omar Haddad?", "action: Cancelled"}));
    EXPECT_EQ(store.pendingQuestion(), "");
}

TEST_F(CommandExecutionTest, SteppingThroughStudentsAndSections) {
    store.execute(commands::NextStudent{});
    EXPECT_EQ(store.session().focus.studentID, h.id(0));
    store.focusStudent(std::nullopt);
    store.execute(commands::PreviousStudent{});
    EXPECT_EQ(store.session().focus.studentID, h.id(2));
    store.execute(commands::NextStudent{});
    store.execute(commands::PreviousSection{});
    EXPECT_EQ(store.session().focus.section, SectionID::style);
    store.execute(commands::NextSection{});
    EXPECT_EQ(h.newFeed(), (Lines{"action: → Nadia Ford", "action: ↑ All students",
                                  "action: → Nadia Park", "warning: Already at the last student",
                                  "action: → General Structure and Style",
                                  "warning: Already at the last section"}));

    store.execute(commands::PreviousStudent{});
    EXPECT_EQ(store.session().focus, (Focus{h.id(1), std::nullopt})) << "a new student, no section";
    store.execute(commands::NextSection{});
    store.execute(commands::PreviousSection{});
    store.focusStudent(h.id(0));
    store.execute(commands::PreviousStudent{});
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: → Omar Haddad", "action: → Introduction, Thesis and Roadmap",
                     "warning: Already at the first section", "action: → Nadia Ford",
                     "warning: Already at the first student"}));

    store.focusStudent(std::nullopt);
    store.execute(commands::NextSection{});
    testing::StoreHarness empty({});
    empty.store.execute(commands::NextStudent{});
    EXPECT_EQ(h.newFeed(), (Lines{"action: ↑ All students", "warning: Pick a student first"}));
    EXPECT_EQ(empty.newFeed(), (Lines{"warning: No roster loaded"}));
}

TEST_F(CommandExecutionTest, UnfocusStepsUpOneLevel) {
    store.setLevel(Level::mostly, h.id(1), SectionID::analysis);
    h.newFeed();
    store.execute(commands::Unfocus{});
    store.execute(commands::Unfocus{});
    store.execute(commands::Unfocus{});
    EXPECT_EQ(h.newFeed(), (Lines{"action: ↑ Back to Omar Haddad", "action: ↑ All students"}));

    store.focusStudent(h.id(0));
    store.focusSection(SectionID::claims);
    store.focusSection(std::nullopt);
    store.focusStudent(h.id(0));
    EXPECT_EQ(h.newFeed(), (Lines{"action: → Nadia Ford", "action: → Supporting Claims",
                                  "action: Unfocused section"}));
    store.focusStudent(Uuid::generate());
    EXPECT_EQ(store.session().focus.studentID, h.id(0)) << "an unknown id changes nothing";
}

TEST_F(CommandExecutionTest, ClearingNotesAndLevels) {
    store.execute(commands::ClearNotes{});
    EXPECT_EQ(h.newFeed(), (Lines{"warning: Nothing focused — no notes to clear"}));

    store.setLevel(Level::complete, h.id(0), SectionID::claims);
    store.editNotes("Two claims, both weak.", SectionNotes{h.id(0), SectionID::claims});
    h.newFeed();
    store.setLevel(std::nullopt, h.id(0), SectionID::claims);
    EXPECT_EQ(h.newFeed(), (Lines{"action: Cleared Claims level · Nadia Ford"}));
    EXPECT_TRUE(h.record(0).isStarted());
    EXPECT_EQ(h.record(0).grade(SectionID::claims).notes, "Two claims, both weak.");

    store.execute(commands::ClearNotes{});
    EXPECT_EQ(h.newFeed(), (Lines{"action: Cleared notes for Nadia Ford · Claims"}));
    const auto entries = store.undoStack().size();
    store.execute(commands::ClearNotes{});
    EXPECT_TRUE(h.newFeed().empty());
    EXPECT_EQ(store.undoStack().size(), entries);
    store.undo();
    EXPECT_EQ(h.record(0).grade(SectionID::claims).notes, "Two claims, both weak.");

    store.setLevel(Level::mostly, Uuid::generate(), SectionID::claims);
    EXPECT_EQ(h.newFeed(), (Lines{"action: ↩︎ Undid: Cleared notes for Nadia Ford · Claims"}));
}

TEST_F(CommandExecutionTest, PauseResumeAndCancel) {
    store.execute(commands::ResumeListening{});
    store.execute(commands::Cancel{});
    EXPECT_TRUE(h.newFeed().empty());

    store.execute(commands::Level{Level::mostly});
    store.setVoicePaused(true);
    EXPECT_TRUE(store.voicePaused());
    EXPECT_EQ(store.pending(), std::nullopt) << "pausing drops the question";
    store.execute(commands::PauseListening{});
    store.setVoicePaused(false);
    EXPECT_FALSE(store.voicePaused());
    EXPECT_EQ(h.newFeed(),
              (Lines{"question: “Mostly” — which student and section?",
                     "action: ⏸ Listening paused — say “resume listening” to continue",
                     "action: ⏸ Listening paused — say “resume listening” to continue",
                     "action: ▶︎ Listening resumed"}));

    store.execute(commands::Level{Level::mostly});
    store.execute(commands::ResumeListening{});
    EXPECT_TRUE(store.pending()) << "resume leaves the question alone";
}

TEST_F(CommandExecutionTest, ObserversHearPendingAndPauseChangesOnlyOnce) {
    std::vector<StoreField> heard;
    const auto subscription = store.addObserver([&](StoreField field) { heard.push_back(field); });
    store.execute(commands::Level{Level::mostly});
    store.execute(commands::Level{Level::mostly});
    store.setVoicePaused(true);
    store.setVoicePaused(true);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::pending), 2)
        << "set once, cleared once";
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::voicePaused), 1);
}

} // namespace
} // namespace kelvarn
