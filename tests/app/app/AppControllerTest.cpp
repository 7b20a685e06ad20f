#include "app/AppController.h"
#include "app/AppFakes.h"
#include "persistence/FileIO.h"
#include "settings/Preferences.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"
#include "tidy/FakeClaude.h"
#include "tidy/NoteTidier.h"

#include <QCoroTimer>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <stop_token>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A tidier whose answer the test gives when it likes, whether or not it was asked to stop.
class FakeTidier {
public:
    app::AppController::Tidy tidy() {
        return
            [this](StudentRecord student, std::stop_token stop) -> QCoro::Task<tidy::TidyOutcome> {
                ++calls;
                asked = student;
                stopToken = stop;
                answered.start(std::chrono::hours(1)); // until reply() says otherwise
                co_await answered;
                ++answers;
                co_return answer;
            };
    }
    void reply(tidy::TidyOutcome outcome) {
        answer = std::move(outcome);
        answered.start(0);
    }

    int calls = 0;
    int answers = 0;
    StudentRecord asked;
    std::stop_token stopToken;
    tidy::TidyOutcome answer = Error{"unset"};
    QTimer answered;
};

class AppControllerTest : public ::testing::Test {
protected:
    AppControllerTest() { tidier.answered.setSingleShot(true); }
    std::unique_ptr<app::AppController> make(std::optional<fs::path> folder = std::nullopt) {
        return std::make_unique<app::AppController>(app::AppController::Services{
            std::move(folder), scheduler, dialogs, tidier.tidy(), nullptr, nullptr});
    }
    QString file(const std::string& name, const std::string& content) const {
        const fs::path path = temp.path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return QString::fromStdString(path.string());
    }

    testing::TempFolder temp;
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    FakeTidier tidier;
};

TEST_F(AppControllerTest, ABannerLastsSixSecondsUnlessANewerOneReplacesIt) {
    auto controller = make();
    controller->flash("A");
    scheduler.advance(2s);
    controller->flash("B");
    EXPECT_EQ(controller->banner(), "B");
    scheduler.advance(4s);
    EXPECT_EQ(controller->banner(), "B") << "A's time is up, but B is not A";
    scheduler.advance(2s);
    EXPECT_FALSE(controller->hasBanner());

    controller->flash("C");
    scheduler.advance(2s);
    controller->flash("C");
    scheduler.advance(4s);
    EXPECT_FALSE(controller->hasBanner()) << "the same text is cleared six seconds after the first";
}

TEST_F(AppControllerTest, ABannerDueAfterTheControllerIsGoneTouchesNothing) {
    auto controller = make();
    controller->flash("A");
    controller.reset();
    scheduler.advance(6s);
}

TEST(QtSchedulerTest, ACallWhoseContextIsGoneNeverRuns) {
    app::QtScheduler scheduler;
    bool orphaned = false;
    bool kept = false;
    auto context = std::make_unique<QObject>();
    scheduler.callAfter(0ms, *context, [&] { orphaned = true; });
    context.reset();
    const QObject stays;
    scheduler.callAfter(1ms, stays, [&] { kept = true; });
    ASSERT_TRUE(testing::runUntil([&] { return kept; }));
    EXPECT_FALSE(orphaned);
}

TEST_F(AppControllerTest, CompactCallsItsHookOnEveryAssignment) {
    auto controller = make();
    std::vector<bool> resized;
    controller->onCompactChanged = [&](bool compact) { resized.push_back(compact); };
    QSignalSpy changed(controller.get(), &app::AppController::compactChanged);
    controller->setCompact(false);
    controller->setCompact(true);
    EXPECT_EQ(resized, (std::vector<bool>{false, true}));
    EXPECT_EQ(changed.count(), 1) << "the property announces only a change";
}

TEST_F(AppControllerTest, OpensARosterOrSaysWhyNot) {
    auto controller = make();
    QSignalSpy vocabulary(controller.get(), &app::AppController::vocabularyChanged);

    controller->openRoster();
    EXPECT_EQ(dialogs.titles.value(0), "Choose a roster (.txt, one student per line)");
    EXPECT_FALSE(controller->hasBanner()) << "cancelled: nothing said";

    dialogs.answer = file("empty.txt", "# nobody yet\n\n");
    controller->openRoster();
    EXPECT_EQ(controller->banner(), "That file has no names in it.");
    dialogs.answer = QString::fromStdString((temp.path() / "missing.txt").string());
    controller->openRoster();
    EXPECT_TRUE(controller->banner().startsWith("Couldn't read roster: ")) << controller->banner();
    EXPECT_TRUE(controller->store().session().students.empty());
    EXPECT_EQ(vocabulary.count(), 0);

    dialogs.answer = file("class.txt", "Ford, Nadia\nOmar Haddad\n\x01\x02\n");
    controller->openRoster();
    ASSERT_EQ(controller->store().session().students.size(), 2u);
    EXPECT_EQ(controller->store().feed().back().text,
              "Skipped 1 line(s) that don't look like names");
    ASSERT_EQ(vocabulary.count(), 1);
    EXPECT_TRUE(vocabulary.at(0).at(0).toStringList().contains("nadia ford"));
}

TEST_F(AppControllerTest, ALaunchRosterIsMergedIntoTheClassOrItsFailureSaidInTheFeed) {
    auto controller = make();
    const GradingStore& store = controller->store();
    const auto names = [&] {
        std::vector<std::string> out;
        for (const StudentRecord& record : store.session().students) {
            out.push_back(record.name);
        }
        return out;
    };
    EXPECT_EQ(controller->mergeRosterFile(file("class.txt", "Name\nFord, Nadia\nOmar Haddad\n")),
              std::nullopt);
    EXPECT_EQ(store.feed().back().text, "Loaded roster: added 2, already there 0, skipped 1");

    dialogs.answer = file("more.txt", "Zoë Park\nomar haddad\n");
    controller->openRoster();
    EXPECT_EQ(names(), (std::vector<std::string>{"Nadia Ford", "Omar Haddad", "Zoë Park"}))
        << "nobody graded yet, and still nobody leaves";
    EXPECT_EQ(store.feed().back().text, "Loaded roster: added 1, already there 1, skipped 0");

    const QString missing = QString::fromStdString((temp.path() / "missing.txt").string());
    EXPECT_EQ(controller->mergeRosterFile(missing),
              missing + ": Couldn't read roster: No such file or directory");
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
    EXPECT_EQ(QString::fromStdString(store.feed().back().text),
              missing + ": Couldn't read roster: No such file or directory");
    const QString empty = file("empty.txt", "Students\n\n");
    EXPECT_EQ(controller->mergeRosterFile(empty), empty + ": That file has no names in it.");
    EXPECT_EQ(names().size(), 3u);
}

TEST_F(AppControllerTest, ExportsAtomicallyAndSaysWhere) {
    auto controller = make();
    controller->store().loadRoster({"Nadia Ford"});
    dialogs.answer = QString::fromStdString((temp.path() / "grades.csv").string());
    controller->exportCSV();
    EXPECT_EQ(controller->banner(), "Exported 1 students → grades.csv");
    EXPECT_EQ(dialogs.titles.value(0), "Export grades / Essay_Exam_1_Grades.csv");
    EXPECT_TRUE(fs::exists(temp.path() / "grades.csv"));

    fs::create_directory(temp.path() / "report.txt");
    dialogs.answer = QString::fromStdString((temp.path() / "report.txt").string());
    controller->exportText();
    EXPECT_TRUE(controller->banner().startsWith("Export failed: ")) << controller->banner();
    EXPECT_TRUE(fs::is_directory(temp.path() / "report.txt")) << "the destination is untouched";
    EXPECT_EQ(dialogs.titles.value(1), "Export grades as text / Essay_Exam_1_Grades.txt");

    dialogs.answer = QString::fromStdString((temp.path() / "book.csv").string());
    controller->exportGradeBook();
    EXPECT_EQ(dialogs.titles.value(2), "Export grade book / Kelvarn Score");
    EXPECT_EQ(dialogs.titles.value(3), "Export grade book / Essay_Exam_1_Grade_Book.csv");
    EXPECT_EQ(readWholeFile(temp.path() / "book.csv").value(), "Kelvarn Score\r\n\r\n")
        << "a plain roster's student: no columns of a grade book, and no grade yet";
    dialogs.textAnswer = QStringLiteral(" Essay 1 (412) ");
    controller->exportGradeBook();
    EXPECT_EQ(readWholeFile(temp.path() / "book.csv").value(), "Essay 1 (412)\r\n\r\n");
    dialogs.textAnswer.reset();
    controller->exportGradeBook();
    EXPECT_EQ(dialogs.titles.value(6), "Export grade book / Essay 1 (412)")
        << "asked from the last";
}

TEST_F(AppControllerTest, TheCommentBankThroughItsWindowsOperations) {
    auto controller = make();
    EXPECT_EQ(controller->addComment("Thesis vague", "State your claim."), QString());
    EXPECT_EQ(controller->addComment("a b c d e", "x"),
              "“a b c d e” is too long for a short name: at most 4 words are heard after "
              "“comment”.");
    EXPECT_EQ(controller->editComment("thesis vague", "Thesis", "Claim?"), QString());
    EXPECT_EQ(controller->removeComment("nothing"), "No comment is called “nothing”.");

    dialogs.answer = file("bank.csv", "Name,Text\nFlow,\"Link them, please.\"\n");
    controller->importComments();
    ASSERT_EQ(controller->store().comments().size(), 2u);
    dialogs.answer = QString::fromStdString((temp.path() / "out.csv").string());
    controller->exportComments();
    EXPECT_EQ(readWholeFile(temp.path() / "out.csv").value(),
              "Name,Text\r\nThesis,Claim?\r\nFlow,\"Link them, please.\"\r\n");
    EXPECT_EQ(controller->banner(), "Exported 2 comments → out.csv");

    dialogs.answer = file("empty.csv", "Name,Text\n");
    controller->importComments();
    EXPECT_EQ(controller->store().feed().back().kind, FeedItem::Kind::warning);
    EXPECT_EQ(controller->store().comments().size(), 2u);
}

TEST_F(AppControllerTest, AFixTypedWhileNamesAreHiddenMeansTheNamedStudent) {
    auto controller = make();
    GradingStore& store = controller->store();
    store.loadRoster({"Nadia Ford", "Omar Haddad"});
    controller->storeObject()->setAnonymous(true);
    store.handleTranscript("omar had dad intro mostly");
    const QString shown = controller->storeObject()->lastUtteranceText();
    EXPECT_EQ(shown, "Student 2 had dad intro mostly");
    controller->fixLastUtterance(shown, "Student 1 intro complete", true);
    EXPECT_EQ(store.session().students[0].grade(SectionID::intro).level, Level::complete);
    EXPECT_EQ(store.session().students[1].grade(SectionID::intro).level, std::nullopt);
    for (const Correction& rule : store.corrections()) {
        EXPECT_EQ(rule.replacement.find("Student"), std::string::npos)
            << "no rule teaches the hidden label: " << rule.replacement;
    }
}

TEST_F(AppControllerTest, SavesInTheBackgroundFlushesAtTheEndAndReportsFailures) {
    const fs::path folder = temp.path() / "data";
    {
        auto controller = make(folder);
        controller->store().loadRoster({"Nadia Ford"});
        controller->store().editNotes("Strong close",
                                      OverallNotes{controller->store().session().students[0].id});
    }
    std::ifstream saved(folder / "session.json");
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_NE(text.find("Strong close"), std::string::npos) << "written before the controller went";

    auto controller = make(folder);
    fs::remove_all(folder); // every later save fails
    controller->store().loadRoster({"Omar Haddad"});
    const auto failed = [&] {
        for (const FeedItem& item : controller->store().feed()) {
            if (item.text.starts_with("Autosave failed: ")) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(testing::runUntil(failed, 5s)) << "the writer's failure reaches the feed";
}

TEST_F(AppControllerTest, ATidyReplacesTheNotesOnlyIfTheyDidNotChangeMeanwhile) {
    auto controller = make();
    GradingStore& store = controller->store();
    store.loadRoster({"Nadia Ford"});
    controller->tidyFocusedStudent();
    EXPECT_EQ(tidier.calls, 0) << "nobody focused: nothing happens";

    store.handleTranscript("Nadia Ford evidence. sources are thin");
    const Uuid nadia = store.session().students[0].id;
    const NotesTarget evidence = SectionNotes{nadia, SectionID::evidence};
    controller->tidyFocusedStudent();
    controller->tidyFocusedStudent();
    EXPECT_EQ(tidier.calls, 1) << "one tidy at a time";
    EXPECT_TRUE(controller->tidying());
    store.setLevel(Level::mostly, nadia, SectionID::evidence); // a level is not a note
    tidier.reply(tidy::TidiedNotes{{evidence, "Sources are thin."}});
    ASSERT_TRUE(testing::runUntil([&] { return !controller->tidying(); }));
    EXPECT_EQ(store.notes(evidence), "Sources are thin.");
    EXPECT_EQ(controller->banner(), "Tidied notes for Nadia Ford — Undo to revert");
    EXPECT_EQ(store.lastUndoLabel(), "Tidied notes for Nadia Ford");

    controller->tidyFocusedStudent();
    store.handleTranscript("Check the dates");
    tidier.reply(tidy::TidiedNotes{{evidence, "Replaced."}});
    ASSERT_TRUE(testing::runUntil([&] { return !controller->tidying(); }));
    EXPECT_EQ(store.notes(evidence), "Sources are thin. Check the dates");
    EXPECT_EQ(controller->banner(), "Notes changed while tidying — try again.");

    controller->tidyFocusedStudent();
    tidier.reply(Error{"No notes to tidy."});
    ASSERT_TRUE(testing::runUntil([&] { return !controller->tidying(); }));
    EXPECT_EQ(controller->banner(), "No notes to tidy.");
}

TEST_F(AppControllerTest, AStoppedTidySaysSoInTheFeedAndLeavesTheNotesAsTheyWere) {
    auto controller = make();
    GradingStore& store = controller->store();
    store.loadRoster({"Nadia Ford"});
    store.handleTranscript("Nadia Ford evidence. sources are thin");
    const NotesTarget evidence = SectionNotes{store.session().students[0].id, SectionID::evidence};
    const auto lastLine = [&] { return store.feed().back(); };

    controller->tidyFocusedStudent();
    QSignalSpy tidying(controller.get(), &app::AppController::tidyingChanged);
    controller->cancelTidy();
    EXPECT_TRUE(tidier.stopToken.stop_requested()) << "the tidier is told to stop at once";
    EXPECT_FALSE(controller->tidying());
    EXPECT_EQ(tidying.count(), 1);
    EXPECT_EQ(lastLine().kind, FeedItem::Kind::action);
    EXPECT_EQ(lastLine().text, "Tidying notes for Nadia Ford cancelled — nothing changed.");
    const std::size_t lines = store.feed().size();
    tidier.reply(tidy::TidiedNotes{{evidence, "Too late."}});
    ASSERT_TRUE(testing::runUntil([&] { return tidier.answers == 1; }));
    EXPECT_EQ(store.notes(evidence), "sources are thin") << "the late answer is dropped";
    EXPECT_EQ(store.feed().size(), lines);
    EXPECT_FALSE(controller->hasBanner());
    controller->cancelTidy();
    EXPECT_EQ(store.feed().size(), lines) << "nothing to cancel";

    controller->tidyFocusedStudent();
    EXPECT_EQ(tidier.calls, 2) << "a cancelled tidy no longer holds the next one back";
    tidier.reply(tidy::TidyStopped{"Claude didn't answer within 2 minutes."});
    ASSERT_TRUE(testing::runUntil([&] { return !controller->tidying(); }));
    EXPECT_EQ(lastLine().kind, FeedItem::Kind::warning);
    EXPECT_EQ(lastLine().text, "Claude didn't answer within 2 minutes.");
    EXPECT_EQ(store.notes(evidence), "sources are thin");
    EXPECT_FALSE(controller->hasBanner());
}

TEST_F(AppControllerTest, QuittingKillsTheTidyToolWithEverythingItStarted) {
    testing::FakeClaude claude;
    claude.sleepFirst(600);
    Preferences preferences(QString::fromStdString((temp.path() / "Kelvarn.conf").string()));
    tidy::NoteTidier tidier(preferences, claude.setting());
    app::AppController controller({std::nullopt, scheduler, dialogs,
                                   [&](StudentRecord student, std::stop_token stop) {
                                       return tidier.tidy(std::move(student), std::move(stop));
                                   },
                                   nullptr, nullptr});
    controller.store().loadRoster({"Nadia Ford"});
    controller.store().handleTranscript("Nadia Ford evidence. sources are thin");
    controller.tidyFocusedStudent();
    ASSERT_TRUE(testing::runUntil([&] { return claude.isAsleep(); }));

    controller.shutDown();
    EXPECT_FALSE(controller.tidying());
    EXPECT_TRUE(testing::runUntil([&] { return claude.isGone(); }));
}

} // namespace
} // namespace kelvarn
