#include "app/StoreObject.h"
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

    QSignalSpy heard(&object, &app::StoreObject::lastHeardChanged);
    store.handleTranscript("Park");
    EXPECT_EQ(object.lastHeard(), "Park");
    store.log(FeedItem::Kind::action, "not heard");
    EXPECT_EQ(heard.count(), 1) << "a newer line of another kind leaves the heard one";
    EXPECT_EQ(question.count(), 2);
    EXPECT_TRUE(object.canUndo());
    EXPECT_EQ(object.lastUndoLabel(), "→ Nadia Park");
    EXPECT_EQ(session.count(), 1);
    object.undo();
    EXPECT_FALSE(object.canUndo());
    EXPECT_EQ(canUndo.count(), 2);
}

TEST(StoreObjectTest, AnonymousGradingHidesEveryNameTheViewsShow) {
    GradingStore store(
        SavedState{testing::sessionWithStudents({"Nadia Ford", "Nadia Park", "Zoë Park"}), {}});
    app::StoreObject object(store);
    store.handleTranscript("zoe park intro complete");
    store.handleTranscript("nadia");
    QSignalSpy anonymous(&object, &app::StoreObject::anonymousChanged);
    object.setAnonymous(true);
    EXPECT_EQ(anonymous.count(), 1);

    const auto feedText = [&](int fromEnd) {
        app::FeedModel* feed = object.feedModel();
        return feed->data(feed->index(feed->rowCount() - fromEnd), app::FeedModel::ShownTextRole)
            .toString();
    };
    EXPECT_EQ(feedText(1), "Which one: Student 1 or Student 2?");
    EXPECT_EQ(object.pendingQuestion(), "Which one: Student 1 or Student 2?");
    EXPECT_EQ(object.pendingChoices().at(1).toMap().value("name"), "Student 2");
    EXPECT_EQ(object.lastHeard(), "Student ?") << "a first name two students share";
    EXPECT_EQ(object.students()->data(object.students()->index(2), app::StudentListModel::NameRole),
              "Student 3");
    store.handleTranscript("student three");
    EXPECT_EQ(object.focusText(), "Student 3");
    EXPECT_EQ(object.focusedStudent().value("name"), "Student 3");
    EXPECT_EQ(object.lastUndoLabel(), "→ Student 3");

    // A renamed student is hidden under the new name too.
    store.loadRoster({"Ann Lee"});
    EXPECT_EQ(object.shown(QStringLiteral("ann lee")), "Student 4");

    object.setAnonymous(false);
    EXPECT_EQ(object.focusText(), "Zoë Park");
    EXPECT_EQ(feedText(1).contains("Student"), false) << feedText(1).toStdString();
    EXPECT_EQ(store.feed().back().text.find("Student 3"), std::string::npos)
        << "the log keeps the names";
}

TEST(StoreObjectTest, TheStudentListChangesRowByRowAndShowsScoresOnlyOnceGraded) {
    GradingStore store(
        SavedState{testing::sessionWithStudents({"Nadia Ford", "Omar Haddad", "Zoë Park"}), {}});
    app::StoreObject object(store);
    app::StudentListModel* students = object.students();
    QSignalSpy reset(students, &QAbstractItemModel::modelReset);
    QSignalSpy changed(students, &QAbstractItemModel::dataChanged);
    const QString omar = QString::fromStdString(store.session().students[1].id.toString());
    const auto value = [&](int row, app::StudentListModel::Role role) {
        return students->data(students->index(row), role);
    };

    EXPECT_EQ(object.progressText(), "0 of 3 fully graded");
    EXPECT_EQ(app::StoreObject::levels().at(1).toMap().value("tooltip"),
              "Mostly (88%): Student mostly met expectations and executed what was asked, but "
              "some ambiguities or issues were present.");
    EXPECT_EQ(app::StoreObject::sections().at(4).toMap().value("weight"), "16%");
    EXPECT_EQ(object.focusText(), "No student focused");
    object.setLevel("mostly", omar, "intro");
    EXPECT_EQ(object.focusText(), "Omar Haddad › Intro / Thesis · Mostly");
    EXPECT_EQ(value(1, app::StudentListModel::GradedRole), "1/6");
    EXPECT_EQ(value(1, app::StudentListModel::ScoreRole), "0.75/5.00");
    EXPECT_EQ(value(1, app::StudentListModel::StatusRole), "started");
    EXPECT_TRUE(value(1, app::StudentListModel::FocusedRole).toBool());
    EXPECT_EQ(value(0, app::StudentListModel::ScoreRole), "") << "nothing graded, no score";
    EXPECT_EQ(value(0, app::StudentListModel::StatusRole), "none");

    changed.clear();
    object.editNotes("T", omar, "intro");
    object.editNotes("Th", omar, "intro");
    ASSERT_EQ(changed.count(), 2) << "one row per keystroke";
    for (const QList<QVariant>& signal : changed) {
        EXPECT_EQ(signal.at(0).toModelIndex().row(), 1);
        EXPECT_EQ(signal.at(1).toModelIndex().row(), 1);
    }
    EXPECT_EQ(object.focusedStudent().value("sections").toList().at(0).toMap().value("notes"),
              "Th");

    changed.clear();
    object.focusStudent(QString::fromStdString(store.session().students[2].id.toString()));
    EXPECT_EQ(changed.count(), 2) << "the rows losing and gaining the focus";
    object.setLevel("", omar, "intro");
    EXPECT_EQ(value(1, app::StudentListModel::ScoreRole), "");
    object.focusStudent("not an id");
    object.focusSection("nowhere");
    EXPECT_EQ(object.focusText(), "Omar Haddad › Intro / Thesis") << "unknown names change nothing";
    EXPECT_EQ(reset.count(), 0);

    store.loadRoster({RosterName{"Ada Lovelace"}});
    EXPECT_EQ(students->rowCount(), static_cast<int>(store.session().students.size()));
    EXPECT_EQ(reset.count(), 1) << "a new roster is the one reset";
}

TEST(StoreObjectTest, TheFeedShowsItsNewestFortyLinesWithoutResetting) {
    GradingStore store(SavedState{testing::sessionWithStudents({"Nadia Ford"}), {}});
    app::StoreObject object(store);
    app::FeedModel* feed = object.feedModel();
    QSignalSpy reset(feed, &QAbstractItemModel::modelReset);
    const auto text = [&](int row) {
        return feed->data(feed->index(row), app::FeedModel::TextRole).toString();
    };

    for (int i = 1; i <= 55; ++i) {
        store.log(i == 54 ? FeedItem::Kind::warning : FeedItem::Kind::heard,
                  "line " + std::to_string(i));
    }
    ASSERT_EQ(feed->rowCount(), 40);
    EXPECT_EQ(text(0), "line 16");
    EXPECT_EQ(text(39), "line 55");
    EXPECT_EQ(feed->data(feed->index(38), app::FeedModel::KindRole), "warning");
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(object.latestResult(), "line 54") << "heard lines are not results";
    EXPECT_EQ(object.latestResultKind(), "warning");
}

} // namespace
} // namespace kelvarn
