#include "StoreObject.h"
#include "support/Fixtures.h"
#include "support/QtPrinting.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(StoreObjectTest, PropertiesAnnounceOnlyRealChanges) {
    GradingStore store(SavedState{testing::sessionWithStudents({"Nadia Ford", "Nadia Park"}), {}});
    app::StoreObject object(store);
    QSignalSpy paused(&object, &app::StoreObject::voicePausedChanged);
    QSignalSpy question(&object, &app::StoreObject::pendingQuestionChanged);
    QSignalSpy canUndo(&object, &app::StoreObject::canUndoChanged);
    QSignalSpy session(&object, &app::StoreObject::sessionChanged);
    QSignalSpy feed(&object, &app::StoreObject::feedChanged);

    object.setVoicePaused(true);
    object.setVoicePaused(true);
    EXPECT_EQ(paused.count(), 1);
    EXPECT_TRUE(object.voicePaused());
    EXPECT_EQ(feed.count(), 2) << "each pause is a feed line";

    object.setVoicePaused(false);
    store.handleTranscript("Nadia");
    EXPECT_EQ(object.pendingQuestion(), "Which one: Nadia Ford or Nadia Park?");
    EXPECT_EQ(question.count(), 1);
    EXPECT_EQ(canUndo.count(), 0) << "a question changes no grade";

    store.handleTranscript("Park");
    EXPECT_EQ(question.count(), 2);
    EXPECT_TRUE(object.canUndo());
    EXPECT_EQ(object.lastUndoLabel(), "→ Nadia Park");
    EXPECT_EQ(session.count(), 1);
    object.undo();
    EXPECT_FALSE(object.canUndo());
    EXPECT_EQ(canUndo.count(), 2);
}

} // namespace
} // namespace kelvarn
