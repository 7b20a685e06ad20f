#include "engine/GradingStore.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using testing::FakeClock;

class GradingStoreTest : public ::testing::Test {
protected:
    GradingStoreTest()
        : store(SavedState{testing::sessionWithStudents({"Nadia Ford", "Ben Ode", "Cy Park"}), {}},
                clock.clock()) {}

    Uuid id(std::size_t i) const { return store.session().students[i].id; }
    std::vector<std::string> feedTexts() const {
        std::vector<std::string> texts;
        for (const auto& item : store.feed()) {
            texts.push_back(item.text);
        }
        return texts;
    }

    FakeClock clock;
    GradingStore store;
};

TEST_F(GradingStoreTest, AnEqualChangeRecordsNothing) {
    const NotesTarget target = OverallNotes{id(0)};
    store.editNotes("", target);
    EXPECT_FALSE(store.canUndo());
    EXPECT_EQ(store.changeCounter(), 0u);
    EXPECT_EQ(store.undoSerial(), 0);

    store.replaceNotes({{target, ""}, {OverallNotes{Uuid::generate()}, "nobody"}}, "Tidied");
    EXPECT_FALSE(store.canUndo());
    EXPECT_TRUE(store.feed().empty());

    store.editNotes("Strong", target);
    EXPECT_EQ(store.changeCounter(), 1u);
    store.editNotes("Strong", target);
    EXPECT_EQ(store.changeCounter(), 1u);
    EXPECT_EQ(store.undoStack().size(), 1u);
}

TEST_F(GradingStoreTest, ANoteKeepsItsFirstTwentyThousandCharactersAndSaysSoOnce) {
    constexpr std::size_t limit = GradingStore::maxNoteCharacters;
    const NotesTarget overall = OverallNotes{id(0)};
    const std::string warning = "A note keeps at most 20000 characters: the end of the notes for "
                                "Nadia Ford · overall was left out.";
    // Two bytes a character: cut between characters, never inside one.
    std::string accents;
    for (std::size_t i = 0; i < limit + 10; ++i) {
        accents += "é";
    }
    store.editNotes(accents, overall);
    EXPECT_EQ(store.notes(overall), accents.substr(0, 2 * limit));
    store.editNotes(accents + "more", overall);
    EXPECT_EQ(store.notes(overall), accents.substr(0, 2 * limit));
    EXPECT_EQ(feedTexts(), std::vector<std::string>{warning}) << "one line for a run of edits";

    // Dictation adds what fits, and its line quotes what was kept.
    store.handleTranscript("Ben Ode evidence");
    const NotesTarget evidence = SectionNotes{id(1), SectionID::evidence};
    store.editNotes(std::string(limit - 6, 'a'), evidence);
    store.handleTranscript("Strong sources throughout.");
    EXPECT_EQ(store.notes(evidence), std::string(limit - 6, 'a') + " Stron");
    EXPECT_EQ(feedTexts().back(), "Note → Ben Ode · Evidence: “Stron”");
}

TEST_F(GradingStoreTest, ALongerNoteSavedBeforeStaysWholeButDoesNotGrow) {
    Session session = testing::sessionWithStudents({"Nadia Ford"});
    const std::string saved(GradingStore::maxNoteCharacters + 100, 'x');
    session.setNotes(saved, OverallNotes{session.students[0].id});
    GradingStore old(SavedState{session, {}}, clock.clock());
    const NotesTarget overall = OverallNotes{session.students[0].id};
    old.editNotes(saved + " and more", overall);
    EXPECT_EQ(old.notes(overall), saved);
    old.editNotes("short again", overall);
    EXPECT_EQ(old.notes(overall), "short again");
}

TEST_F(GradingStoreTest, TypingCoalescesWhileGapsStayUnderFourSeconds) {
    const NotesTarget intro = SectionNotes{id(0), SectionID::intro};
    store.editNotes("G", intro);
    clock.advance(3.9);
    store.editNotes("Go", intro);
    clock.advance(3.9);
    store.editNotes("Goo", intro);
    ASSERT_EQ(store.undoStack().size(), 1u) << "each gap under 4 s extends the burst";
    EXPECT_EQ(store.undoStack().back().date, clock.now);
    EXPECT_EQ(store.lastUndoLabel(), "Edited notes for Nadia Ford · Intro / Thesis");
    EXPECT_TRUE(store.feed().empty()) << "typing writes no feed line";

    clock.advance(4.0);
    store.editNotes("Good", intro);
    EXPECT_EQ(store.undoStack().size(), 2u) << "a pause of exactly 4 s starts a new step";

    store.editNotes("Other", SectionNotes{id(0), SectionID::claims});
    EXPECT_EQ(store.undoStack().size(), 3u) << "another editor starts a new step at once";
    store.editNotes("Overall", OverallNotes{id(0)});
    EXPECT_EQ(store.undoStack().size(), 4u);
    EXPECT_EQ(store.lastUndoLabel(), "Edited notes for Nadia Ford · overall");
    EXPECT_EQ(store.undoSerial(), 4);

    store.undo();
    store.undo();
    store.undo();
    EXPECT_EQ(store.notes(intro), "Goo");
    store.undo();
    EXPECT_EQ(store.notes(intro), "");
    EXPECT_EQ(feedTexts().back(), "↩︎ Undid: Edited notes for Nadia Ford · Intro / Thesis");
    EXPECT_EQ(store.changeCounter(), 10u) << "six changes and four undos";
    EXPECT_EQ(store.undoSerial(), 4) << "undo never rewinds the serial";
}

TEST_F(GradingStoreTest, UndoRestoresAndReportsAndRefusesWhenEmpty) {
    store.undo();
    EXPECT_EQ(feedTexts(), std::vector<std::string>{"Nothing to undo"});
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
    EXPECT_EQ(store.changeCounter(), 0u);

    const std::map<NotesTarget, std::string> tidy = {
        {OverallNotes{id(0)}, "a"},
        {SectionNotes{id(1), SectionID::evidence}, "b"},
        {SectionNotes{id(2), SectionID::style}, "c"},
    };
    store.replaceNotes(tidy, "Tidied notes for Nadia Ford");
    EXPECT_EQ(store.feed().back().text, "Tidied notes for Nadia Ford");
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::action);
    EXPECT_EQ(store.notes(SectionNotes{id(2), SectionID::style}), "c");

    const Session before = store.undoStack().back().session;
    store.undo();
    EXPECT_EQ(store.session(), before);
    EXPECT_EQ(store.session().students[1].sections.count(SectionID::evidence), 0u);
    EXPECT_EQ(store.feed().back().text, "↩︎ Undid: Tidied notes for Nadia Ford");
    EXPECT_FALSE(store.canUndo());
    EXPECT_EQ(store.lastUndoLabel(), std::nullopt);
}

TEST_F(GradingStoreTest, UndoStackKeepsTheNewest500) {
    for (int i = 1; i <= 501; ++i) {
        store.editNotes(std::to_string(i), OverallNotes{id(0)});
        clock.advance(5);
    }
    ASSERT_EQ(store.undoStack().size(), 500u);
    EXPECT_EQ(store.undoStack().front().serial, 2) << "the first entry was dropped";
    EXPECT_EQ(store.undoStack().front().session.students[0].overallNotes, "1");
    EXPECT_EQ(store.undoStack().back().serial, 501);
}

TEST_F(GradingStoreTest, FeedKeepsTheNewest200) {
    for (int i = 1; i <= 201; ++i) {
        store.log(FeedItem::Kind::note, "line " + std::to_string(i));
    }
    ASSERT_EQ(store.feed().size(), 200u);
    EXPECT_EQ(store.feed().front().text, "line 2");
    EXPECT_EQ(store.feed().back().text, "line 201");
    EXPECT_NE(store.feed()[0].id, store.feed()[1].id);
}

TEST_F(GradingStoreTest, LabelsTargetsAndLookups) {
    EXPECT_EQ(store.label(SectionNotes{id(1), SectionID::style}), "Ben Ode · Structure & Style");
    EXPECT_EQ(store.label(OverallNotes{id(2)}), "Cy Park · overall");
    EXPECT_EQ(store.label(OverallNotes{Uuid::generate()}), "? · overall");
    EXPECT_EQ(store.currentNotesTarget(), std::nullopt);
    EXPECT_EQ(store.student(id(1))->name, "Ben Ode");
    EXPECT_EQ(store.student(Uuid::generate()), std::nullopt);

    Session focused = store.session();
    focused.focus = Focus{id(1), std::nullopt};
    GradingStore overall(SavedState{focused, {}}, clock.clock());
    EXPECT_EQ(overall.currentNotesTarget(), NotesTarget(OverallNotes{id(1)}));
    focused.focus.section = SectionID::analysis;
    GradingStore section(SavedState{focused, {}}, clock.clock());
    EXPECT_EQ(section.currentNotesTarget(), NotesTarget(SectionNotes{id(1), SectionID::analysis}));
}

TEST_F(GradingStoreTest, SerialsContinueAfterTheHighestSavedOne) {
    SavedState state{store.session(), {}};
    for (std::int64_t serial : {12, 57, 30}) {
        state.undo.push_back(UndoEntry{store.session(), "x", std::nullopt, clock.now, serial, {}});
    }
    state.undo.push_back(UndoEntry{store.session(), "old", std::nullopt, clock.now, {}, {}});
    GradingStore resumed(state, clock.clock());
    EXPECT_EQ(resumed.undoSerial(), 57);
    resumed.editNotes("n", OverallNotes{id(0)});
    EXPECT_EQ(resumed.undoStack().back().serial, 58);
    EXPECT_EQ(resumed.undoStack().size(), 5u);
}

TEST_F(GradingStoreTest, ObserversHearOnlyRealChanges) {
    std::vector<StoreField> heard;
    auto subscription = store.addObserver([&](StoreField field) { heard.push_back(field); });

    store.editNotes("", OverallNotes{id(0)});
    EXPECT_TRUE(heard.empty());

    store.editNotes("a", OverallNotes{id(0)});
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::session), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::undoStack), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::undoSerial), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::changeCounter), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::feed), 0);

    heard.clear();
    store.editNotes("ab", OverallNotes{id(0)});
    EXPECT_EQ(std::count(heard.begin(), heard.end(), StoreField::undoSerial), 0)
        << "coalescing pushes nothing";

    heard.clear();
    store.log(FeedItem::Kind::heard, "hello");
    EXPECT_EQ(heard, std::vector<StoreField>{StoreField::feed});

    subscription.reset();
    heard.clear();
    store.undo();
    EXPECT_TRUE(heard.empty());
}

TEST_F(GradingStoreTest, UndoSnapshotsAreIndependentOfLaterChanges) {
    store.editNotes("first", OverallNotes{id(0)});
    clock.advance(10);
    store.editNotes("second", OverallNotes{id(0)});
    EXPECT_EQ(store.undoStack()[0].session.students[0].overallNotes, "");
    EXPECT_EQ(store.undoStack()[1].session.students[0].overallNotes, "first");
    EXPECT_TRUE(store.undoStack()[1].session.students.sharesRecord(store.session().students, 1))
        << "unchanged records are shared, not copied";
}

TEST_F(GradingStoreTest, ObserversAreToldOnceWhenTheWholeChangeIsInPlace) {
    std::vector<std::string> seen;
    const auto subscription = store.addObserver([&](StoreField field) {
        if (field == StoreField::undoSerial) {
            // The session announced with the serial is already the changed one.
            seen.push_back(store.session().students[0].overallNotes);
        }
        if (field == StoreField::session) {
            seen.push_back("session");
        }
    });
    store.handleTranscript("Nadia Ford. Good thesis. Next student. Weak ending.");
    EXPECT_EQ(seen, (std::vector<std::string>{"session", "Good thesis."}))
        << "one announcement per field for the whole utterance";
}

TEST_F(GradingStoreTest, AnObserverRemovedDuringANotificationIsNotCalled) {
    int laterCalls = 0;
    GradingStore::Subscription later;
    const auto first = store.addObserver([&](StoreField) { later.reset(); });
    later = store.addObserver([&](StoreField) { ++laterCalls; });
    store.log(FeedItem::Kind::heard, "hello");
    EXPECT_EQ(laterCalls, 0);

    // A subscription that outlives its store ends quietly.
    auto orphan = std::make_unique<GradingStore>(SavedState{}, clock.clock());
    GradingStore::Subscription stale = orphan->addObserver([](StoreField) {});
    orphan.reset();
    stale.reset();
}

} // namespace
} // namespace kelvarn
