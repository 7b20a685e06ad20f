// "next ungraded" and "student N" as the store carries them out, heard as a TA would say them.
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Lines = std::vector<std::string>;

class ClassOrderCommandsTest : public ::testing::Test {
protected:
    testing::StoreHarness h{{"Nadia Ford", "Omar Haddad", "Lena Cruz"}};
    GradingStore& store = h.store;

    void gradeAll(std::size_t student) {
        for (const SectionID section : sections::allCases) {
            store.setLevel(Level::complete, h.id(student), section);
        }
    }
};

TEST_F(ClassOrderCommandsTest, NextUngradedGoesRoundTheClassFromTheFocusedStudent) {
    store.handleTranscript("next ungraded");
    EXPECT_EQ(store.session().focus, (Focus{h.id(0), SectionID::intro})) << "none focused: first";

    gradeAll(1);
    store.setLevel(Level::mostly, h.id(2), SectionID::intro);
    store.setLevel(Level::mostly, h.id(2), SectionID::claims);
    store.focusStudent(h.id(0));
    h.newFeed();
    store.handleTranscript("next ungraded student");
    EXPECT_EQ(store.session().focus, (Focus{h.id(2), SectionID::evidence}))
        << "a fully graded student is passed over, and the first section without a level taken";
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: next ungraded student", "action: → Lena Cruz · Use of Evidence"}));

    // Round the end of the class, back to the focused student last.
    gradeAll(0);
    store.focusStudent(h.id(2));
    store.handleTranscript("next ungraded");
    EXPECT_EQ(store.session().focus, (Focus{h.id(2), SectionID::evidence}))
        << "only the focused student is left";

    store.handleTranscript("next ungraded mostly");
    EXPECT_EQ(h.record(2).grade(SectionID::evidence).level, Level::mostly) << "it starts chains";
    store.execute(commands::Undo{});
    EXPECT_EQ(h.record(2).grade(SectionID::evidence).level, std::nullopt);

    gradeAll(2);
    const Focus before = store.session().focus;
    h.newFeed();
    store.execute(commands::NextUngraded{});
    EXPECT_EQ(store.session().focus, before) << "the focus stays";
    ASSERT_EQ(h.newFeed().size(), 1u);
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
}

TEST_F(ClassOrderCommandsTest, StudentNumberActsAsTheNameAndAMissingOneFilesNothing) {
    store.handleTranscript("student three conclusion mostly");
    EXPECT_EQ(h.record(2).grade(SectionID::conclusion).level, Level::mostly);
    EXPECT_EQ(store.session().focus, (Focus{h.id(2), SectionID::conclusion}));

    // A question about a section waits for a student, and a number answers it.
    store.focusStudent(std::nullopt);
    store.handleTranscript("evidence complete");
    store.handleTranscript("student 1");
    EXPECT_EQ(h.record(0).grade(SectionID::evidence).level, Level::complete);

    store.focusStudent(h.id(1));
    h.newFeed();
    const auto undoDepth = store.undoStack().size();
    store.handleTranscript("student nine intro complete");
    EXPECT_EQ(h.newFeed(), (Lines{"heard: student nine intro complete",
                                  "warning: No student 9 — the class has 3"}));
    EXPECT_EQ(h.record(1).grade(SectionID::intro).level, std::nullopt)
        << "the level was not for the focused student";
    EXPECT_EQ(store.undoStack().size(), undoDepth);
    EXPECT_EQ(h.record(1).grade(SectionID::intro).notes, "") << "nor is it a note";

    const auto vocabulary = store.recognizerVocabulary();
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "student three"));
    EXPECT_FALSE(std::binary_search(vocabulary.begin(), vocabulary.end(), "student four"));
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "next ungraded"));
}

} // namespace
} // namespace kelvarn
