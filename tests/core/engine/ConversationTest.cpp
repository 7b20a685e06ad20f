// Whole conversations with the store: utterances and clicks, then what the TA sees.
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Lines = std::vector<std::string>;

class ConversationTest : public ::testing::Test {
protected:
    void say(const std::string& text) { store.handleTranscript(text); }

    testing::StoreHarness h{{"Nadia Ford", "Omar Haddad", "Nadia Park"}};
    GradingStore& store = h.store;
};

TEST_F(ConversationTest, ALevelAndASectionWithoutContextAreCompletedInEitherOrder) {
    say("mostly");
    say("evidence");
    say("Omar Haddad");
    EXPECT_EQ(
        h.newFeed(),
        (Lines{"heard: mostly", "question: “Mostly” — which student and section?",
               "heard: evidence", "question: Evidence → Mostly — which student?",
               "heard: Omar Haddad", "action: Evidence → Mostly (14.96/17.00) · Omar Haddad"}));
    EXPECT_EQ(h.record(1).grade(SectionID::evidence).level, Level::mostly);
    EXPECT_EQ(store.session().focus, (Focus{h.id(1), SectionID::evidence}));
    EXPECT_EQ(store.undoStack().size(), 1u);

    say("conclusion");
    say("unfocus. somewhat. incomplete. cancel.");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: conclusion", "action: → Conclusion",
                     "heard: unfocus. somewhat. incomplete. cancel.",
                     "action: ↑ Back to Omar Haddad", "question: “Somewhat” — for which section?",
                     "question: “Incomplete” — for which section?", "action: Cancelled"}));
    EXPECT_EQ(store.pending(), std::nullopt);
}

TEST_F(ConversationTest, AQuestionIsAbandonedByAnotherCommandOrANote) {
    say("Omar Haddad");
    say("mostly");
    say("next student");
    EXPECT_EQ(store.pending(), std::nullopt);
    EXPECT_EQ(store.session().focus.studentID, h.id(2));

    say("somewhat");
    ASSERT_TRUE(store.pending());
    say("A careful, well argued essay.");
    EXPECT_EQ(store.pending(), std::nullopt);
    EXPECT_EQ(h.record(2).overallNotes, "A careful, well argued essay.");
    EXPECT_EQ(h.newFeed().back(),
              "note: Note → Nadia Park · overall: “A careful, well argued essay.”");
}

TEST_F(ConversationTest, AnAmbiguousNameIsSettledByANoteNamingOneCandidate) {
    say("Nadia");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: Nadia", "question: Which one: Nadia Ford or Nadia Park?"}));
    say("I meant Nadia Park");
    EXPECT_EQ(h.newFeed(), (Lines{"heard: I meant Nadia Park", "action: → Nadia Park"}));
    EXPECT_EQ(h.record(2).overallNotes, "") << "the answer is not kept as a note";

    say("Nadia");
    say("Both of them were late.");
    EXPECT_EQ(store.pending(), std::nullopt);
    EXPECT_EQ(h.record(2).overallNotes, "Both of them were late.")
        << "naming no candidate files a note under the focus and drops the question";
}

TEST_F(ConversationTest, NotesAreBufferedAcrossSentencesAndSplitByCommands) {
    say("Nadia Ford");
    h.newFeed();
    say("Strong start. Clear roadmap; good sources.");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: Strong start. Clear roadmap; good sources.",
                     "note: Note → Nadia Ford · overall: “Strong start. Clear roadmap; good "
                     "sources.”"}));
    say("Weak ending. Evidence. Cites two studies.");
    EXPECT_EQ(h.record(0).overallNotes, "Strong start. Clear roadmap; good sources. Weak ending.");
    EXPECT_EQ(h.record(0).grade(SectionID::evidence).notes, "Cites two studies.");
    EXPECT_EQ(store.undoStack().size(), 5u) << "focus, note, note, focus, note";

    store.focusStudent(std::nullopt);
    h.newFeed();
    say("nice thesis");
    EXPECT_EQ(h.newFeed(), (Lines{"heard: nice thesis",
                                  "warning: Not saved (no student focused): “nice thesis”"}));
    say("   \n ");
    EXPECT_TRUE(h.newFeed().empty());
}

TEST_F(ConversationTest, CorrectionsReplaceWhatTheLastNoteAdded) {
    say("Omar Haddad intro");
    store.editNotes("Thesis stated.", SectionNotes{h.id(1), SectionID::intro});
    say("The roadmap is missing.");
    say("Correction.");
    say("the second paragraph is weak");
    EXPECT_EQ(h.record(1).grade(SectionID::intro).notes,
              "Thesis stated. the second paragraph is weak");
    const Lines feed = h.newFeed();
    EXPECT_EQ(Lines(feed.end() - 3, feed.end()),
              (Lines{"action: ✎ Correction — say the replacement for the last note",
                     "heard: the second paragraph is weak",
                     "note: ✎ Corrected note → Omar Haddad · Intro / Thesis: “the second "
                     "paragraph is weak”"}));

    // A second correction replaces the first one's text; the note it corrected stays gone.
    say("Correction: the roadmap is implied.");
    EXPECT_EQ(h.record(1).grade(SectionID::intro).notes, "Thesis stated. the roadmap is implied.");
    store.undo();
    EXPECT_EQ(h.record(1).grade(SectionID::intro).notes,
              "Thesis stated. the second paragraph is weak");

    say("next section");
    h.newFeed();
    say("Correction, the thesis is clear");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: Correction, the thesis is clear",
                     "warning: Nothing to correct — “correction” replaces the last note, right "
                     "after dictating it"}));
}

TEST_F(ConversationTest, WhilePausedOnlyResumeListeningIsHeard) {
    say("pause listening");
    say("next student");
    say("Dictated while paused.");
    EXPECT_EQ(store.session().focus, Focus{});
    say("next student resume listening");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: pause listening",
                     "action: ⏸ Listening paused — say “resume listening” to continue",
                     "heard: next student   (ignored — paused)",
                     "heard: Dictated while paused.   (ignored — paused)",
                     "heard: next student resume listening", "action: ▶︎ Listening resumed"}));
    EXPECT_EQ(store.session().focus, Focus{});
    say("next student");
    EXPECT_EQ(store.session().focus.studentID, h.id(0));
}

TEST_F(ConversationTest, FixRollsBackEveryChangeOfTheLineAndLearnsARule) {
    say("Omar Haddad");
    h.newFeed();
    const auto entriesBefore = store.undoStack().size();
    say("intro complete evidence complete");
    EXPECT_EQ(store.undoStack().size(), entriesBefore + 4) << "two focus steps, two levels";
    ASSERT_TRUE(store.canFixLastUtterance());
    h.newFeed();

    store.fixLastUtterance("intro complete evidence mostly", true);
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: Remembered: “complete” → “mostly”",
                     "action: ✎ Fixed “intro complete evidence complete” → “intro complete "
                     "evidence mostly”",
                     "heard: intro complete evidence mostly",
                     "action: → Introduction, Thesis and Roadmap",
                     "action: Intro / Thesis → Complete (17.00/17.00) · Omar Haddad",
                     "action: → Use of Evidence",
                     "action: Evidence → Mostly (14.96/17.00) · Omar Haddad"}))
        << "the corrected text is taken literally, without the new rule";
    EXPECT_EQ(store.undoStack().size(), entriesBefore + 4) << "the first run's four were removed";
    EXPECT_EQ(h.record(1).grade(SectionID::evidence).level, Level::mostly);
    ASSERT_EQ(store.corrections().size(), 1u);
    EXPECT_TRUE(store.canFixLastUtterance()) << "the fixed line can be fixed again";

    store.focusStudent(h.id(0)); // a click
    EXPECT_FALSE(store.canFixLastUtterance());
    store.fixLastUtterance("anything", false);
    EXPECT_EQ(h.newFeed().back(), "warning: Can't re-run that line — something changed since. Edit "
                                  "the notes directly instead.");
}

TEST_F(ConversationTest, FixOfAQuestionRestoresTheStateBeforeIt) {
    say("mostly");
    const auto entries = store.undoStack().size();
    store.fixLastUtterance("evidence", false);
    EXPECT_EQ(store.undoStack().size(), entries);
    EXPECT_EQ(store.pending(), Pending(pending::SectionNeedsStudent{SectionID::evidence, {}}))
        << "the level of the undone question is not carried over";
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: mostly", "question: “Mostly” — which student and section?",
                     "action: ✎ Fixed “mostly” → “evidence”", "heard: evidence",
                     "question: Evidence — which student?"}));
}

TEST_F(ConversationTest, CorrectionRulesRewriteWhatIsHeard) {
    store.addCorrection(Correction("omar haddox", "Omar Haddad"));
    say("omar haddox");
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: Remembered: “omar haddox” → “Omar Haddad”",
                     "heard: Omar Haddad   (heard “omar haddox”)", "action: → Omar Haddad"}));
    store.addCorrection(Correction("Omar, Haddox!", "Omar H."));
    EXPECT_EQ(store.corrections().size(), 1u) << "one rule per heard text";
    EXPECT_EQ(store.corrections()[0].replacement, "Omar H.");
    store.removeCorrection(store.corrections()[0].id);
    EXPECT_TRUE(store.corrections().empty());
}

TEST_F(ConversationTest, ASectionAndLevelAfterAnAmbiguousNameWaitForTheAnswer) {
    say("Omar Haddad");
    say("Nadia conclusion somewhat");
    EXPECT_EQ(h.newFeed(), (Lines{"heard: Omar Haddad", "action: → Omar Haddad",
                                  "heard: Nadia conclusion somewhat",
                                  "question: Which one: Nadia Ford or Nadia Park?"}));
    EXPECT_EQ(h.record(1).grade(SectionID::conclusion).level, std::nullopt)
        << "never graded on the student focused before";

    say("Park");
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: Park", "action: Conclusion → Somewhat (12.16/16.00) · Nadia Park"}));
    EXPECT_EQ(h.record(2).grade(SectionID::conclusion).level, Level::somewhat);
    EXPECT_EQ(store.pending(), std::nullopt);

    // A level alone waits too, then asks for the section of the student named.
    say("Nadia mostly");
    say("I meant Nadia Ford");
    EXPECT_EQ(store.session().focus, (Focus{h.id(0), std::nullopt}));
    EXPECT_EQ(h.newFeed().back(), "question: “Mostly” — for which section?");
}

} // namespace
} // namespace kelvarn
