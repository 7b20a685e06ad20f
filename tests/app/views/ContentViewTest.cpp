#include "PanelTest.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"

#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

#include <string_view>

namespace kelvarn {
namespace {

using testing::card;

using testing::named;
using testing::withText;

class ContentViewTest : public testing::PanelTest {};

TEST_F(ContentViewTest, WithoutARosterOffersToOpenOneByButtonAndCtrlO) {
    ASSERT_NE(root(), nullptr);
    EXPECT_NE(shown("No roster loaded"), nullptr);
    // Without a speech engine or an updater: not listening, nothing heard, no update news.
    EXPECT_NE(shown("Not listening"), nullptr);
    EXPECT_EQ(named(root(), "liveStrip"), nullptr);
    EXPECT_EQ(named(root(), "updateBanner"), nullptr);
    EXPECT_NE(shown("A .txt file with one student per line."), nullptr);
    click(shown("Open Roster…"));
    EXPECT_EQ(m_dialogs.titles.size(), 1);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(m_dialogs.titles.size(), 2);

    EXPECT_FALSE(shown("All students")->isEnabled());
    EXPECT_FALSE(shown("Unfocus")->isEnabled());
    QQuickItem* undo = named(root(), "undoButton");
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->property("text"), "Undo");
    EXPECT_FALSE(undo->isEnabled());

    key(Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_TRUE(m_controller.compact());
    EXPECT_NE(shown("No student focused"), nullptr);
    EXPECT_EQ(named(root(), "compactScore"), nullptr) << "no score without a student";
    EXPECT_EQ(shown("No roster loaded"), nullptr);
}

TEST_F(ContentViewTest, ClicksAndKeysMoveTheFocusAndGrade) {
    store().loadRoster({"Nadia Ford", "Omar Haddad", "Zoë Park"});
    EXPECT_NE(shown("0 of 3 fully graded"), nullptr);
    click(shown("Omar Haddad"));
    ASSERT_EQ(store().session().focusedStudent()->name, "Omar Haddad");
    EXPECT_TRUE(shown("All students")->isEnabled());
    EXPECT_FALSE(withText(named(root(), "detailScroller"), "Omar Haddad"));
    EXPECT_NE(named(card(root(), "overall"), "notesEditor"), nullptr);

    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_NE(shown("Unfocus a section to dictate overall comments."), nullptr);
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(store().session().focus.section, SectionID::claims);
    EXPECT_TRUE(shown("Omar Haddad")->isEnabled()) << "back to the overall comments";
    key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(store().session().focus.section, SectionID::intro);

    key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(store().session().focusedStudent()->grade(SectionID::intro).level, Level::mostly);
    QQuickItem* intro = card(root(), "intro");
    ASSERT_NE(intro, nullptr);
    QQuickItem* mostly = withText(intro, "Mostly");
    ASSERT_NE(mostly, nullptr);
    EXPECT_TRUE(mostly->property("selected").toBool());
    click(mostly);
    EXPECT_EQ(store().session().focusedStudent()->grade(SectionID::intro).level, std::nullopt)
        << "the selected chip clears the level";
    click(withText(intro, "Complete"));
    EXPECT_EQ(store().session().focusedStudent()->grade(SectionID::intro).level, Level::complete);
    EXPECT_NE(shown("17.00/17.00"), nullptr);
    EXPECT_NE(shown("0.85/5.00"), nullptr);
    EXPECT_NE(shown("(1/6)"), nullptr);

    click(card(root(), "analysis"));
    EXPECT_EQ(store().session().focus.section, SectionID::analysis);
    QQuickItem* scroller = named(root(), "detailScroller");
    EXPECT_TRUE(testing::runUntil([&] { return scroller->property("contentY").toDouble() > 0; }))
        << "the focused card is scrolled into view";

    key(Qt::Key_Escape);
    EXPECT_EQ(store().session().focus.section, std::nullopt);
    key(Qt::Key_Escape);
    EXPECT_FALSE(store().session().focusedStudent().has_value());
    EXPECT_NE(shown("0.85/5.00"), nullptr) << "the list row's score";
    screenshot("panel-list.png");
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_TRUE(store().session().focusedStudent().has_value());
}

// Where the detail has come to rest, once any scrolling it started has ended.
double restingScroll(QQuickItem* scroller) {
    QObject* animation = scroller->findChild<QObject*>(QStringLiteral("detailScrolling"));
    EXPECT_NE(animation, nullptr);
    EXPECT_TRUE(testing::runUntil([&] { return !animation->property("running").toBool(); }));
    return scroller->property("contentY").toDouble();
}

TEST_F(ContentViewTest, AStudentOpensAtTheTopAndTheFocusedSectionIsShownWhole) {
    store().loadRoster({"Nadia Ford", "Omar Haddad"});
    store().handleTranscript("Omar Haddad");
    settle();
    QQuickItem* scroller = named(root(), "detailScroller");
    ASSERT_NE(scroller, nullptr);
    EXPECT_EQ(restingScroll(scroller), 0) << "not down at the overall comments";

    store().handleTranscript("style");
    settle();
    const double scrolled = restingScroll(scroller);
    EXPECT_GT(scrolled, 0);
    QQuickItem* style = card(root(), "style");
    ASSERT_NE(style, nullptr);
    const QRectF inView = style->mapRectToItem(scroller, style->boundingRect());
    EXPECT_GE(inView.top(), 0);
    EXPECT_LE(inView.bottom(), scroller->height());

    store().handleTranscript("Omar Haddad conclusion mostly");
    settle();
    EXPECT_EQ(restingScroll(scroller), scrolled) << "a grade in view moves nothing";

    store().handleTranscript("Nadia Ford");
    settle();
    EXPECT_EQ(restingScroll(scroller), 0) << "the next student opens at the top too";
}

TEST_F(ContentViewTest, ClickingALevelKeepsTheCardsUnderThePointerWhereTheyAre) {
    store().loadRoster({"Nadia Ford"});
    store().handleTranscript("Nadia Ford");
    settle();
    QQuickItem* intro = card(root(), "intro");
    QQuickItem* claims = card(root(), "claims");
    ASSERT_NE(intro, nullptr);
    ASSERT_NE(claims, nullptr);
    EXPECT_NE(named(claims, "notesEditor"), nullptr) << "an unfocused card has its notes box";
    const QPointF before = claims->mapToScene(QPointF());

    click(withText(intro, "Mostly"));
    EXPECT_EQ(store().session().focus.section, SectionID::intro);
    restingScroll(named(root(), "detailScroller"));
    EXPECT_EQ(claims->mapToScene(QPointF()), before);

    // Typing into another card's notes makes it the focused one.
    QQuickItem* editor = named(claims, "notesEditor");
    ASSERT_NE(editor, nullptr);
    editor->forceActiveFocus();
    EXPECT_EQ(store().session().focus.section, SectionID::claims);
}

TEST_F(ContentViewTest, AQuestionIsAnsweredByItsButtonsOrByClickingAStudent) {
    store().loadRoster({"Nadia Ford", "Nadia Park", "Omar Haddad"});
    store().handleTranscript("Nadia intro");
    QQuickItem* question = named(root(), "questionBanner");
    ASSERT_NE(question, nullptr);
    QQuickItem* park = withText(question, "Nadia Park");
    ASSERT_NE(park, nullptr);
    EXPECT_EQ(park->objectName(), "choiceButton");
    EXPECT_NE(withText(question, "Nadia Ford"), nullptr);
    screenshot("which-one.png");
    click(park);
    ASSERT_EQ(store().session().focusedStudent()->name, "Nadia Park");
    EXPECT_EQ(store().session().focus.section, SectionID::intro) << "what was said with it stays";
    EXPECT_FALSE(store().pending().has_value());

    // A level with no student waits for one: a row clicked is the answer.
    store().unfocus();
    store().unfocus();
    store().handleTranscript("conclusion mostly");
    ASSERT_TRUE(store().pending().has_value());
    settle();
    EXPECT_EQ(named(named(root(), "questionBanner"), "choiceButton"), nullptr)
        << "no names to choose from";
    click(shown("Omar Haddad"));
    ASSERT_EQ(store().session().focusedStudent()->name, "Omar Haddad");
    EXPECT_EQ(store().session().focusedStudent()->grade(SectionID::conclusion).level,
              Level::mostly);
}

TEST_F(ContentViewTest, PauseAndResumeShowTheirSymbolsAndWhatIsHeardMeanwhileIsMarked) {
    store().loadRoster({"Nadia Ford"});
    store().handleTranscript("pause listening");
    store().handleTranscript("Nadia Ford");
    EXPECT_NE(shown("Nadia Ford   (ignored — paused)"), nullptr);
    EXPECT_NE(shown("Listening paused — say “resume listening” to continue"), nullptr)
        << "the glyph the fonts lack is not drawn";
    const auto symbolShown = [&](const char* name) {
        settle();
        QQuickItem* symbol = testing::findItem(root(), [&](QQuickItem* item) {
            return item->property("symbol").toString() == QLatin1String(name) &&
                   item->property("status").isValid();
        });
        // An image that loaded: the symbol exists among the view's resources.
        return symbol != nullptr && symbol->property("status").toInt() == 1;
    };
    EXPECT_TRUE(symbolShown("pause.fill"));
    store().handleTranscript("resume listening");
    EXPECT_NE(shown("Listening resumed"), nullptr);
    EXPECT_TRUE(symbolShown("play.fill"));
    screenshot("feed-paused.png");
}

TEST_F(ContentViewTest, NotesEditorTypesIntoTheStoreAndCtrlZIsTheStoresUndo) {
    store().loadRoster({"Nadia Ford"});
    store().handleTranscript("Nadia Ford evidence");
    QQuickItem* editor = named(card(root(), "evidence"), "notesEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->property("placeholderText"), "Notes — why this level");
    editor->forceActiveFocus();
    const std::size_t stepsBefore = store().undoStack().size();
    for (const char letter : std::string_view("Thin")) {
        QTest::keyClick(&m_panel.window(), letter);
    }
    const NotesTarget target = SectionNotes{store().session().students[0].id, SectionID::evidence};
    EXPECT_EQ(store().notes(target), "Thin");
    EXPECT_EQ(store().undoStack().size(), stepsBefore + 1) << "one burst of typing, one step";
    screenshot("panel-detail.png");

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store().notes(target), "");
    EXPECT_EQ(editor->property("text"), "");
    EXPECT_EQ(store().session().focus.section, SectionID::evidence) << "the editor stays";
}

TEST_F(ContentViewTest, BannersStackAboveTheQuestionAndTheFeedShowsItsNewestLines) {
    store().loadRoster({"Nadia Ford", "Nadia Park"});
    store().handleTranscript("Nadia");
    m_controller.flash("Exported 2 students → grades.csv");
    QQuickItem* banner = named(root(), "controllerBanner");
    QQuickItem* question = named(root(), "questionBanner");
    settle();
    ASSERT_NE(banner, nullptr);
    ASSERT_NE(question, nullptr);
    EXPECT_LT(banner->y(), question->y());
    EXPECT_NE(shown("Which one: Nadia Ford or Nadia Park?"), nullptr);
    click(withText(question, "Cancel"));
    EXPECT_FALSE(store().pending().has_value());
    click(withText(banner, "Dismiss"));
    EXPECT_FALSE(m_controller.hasBanner());

    for (int i = 1; i <= 55; ++i) {
        store().log(FeedItem::Kind::action, "line " + std::to_string(i));
    }
    auto* feed = qobject_cast<QQuickItem*>(named(root(), "feedList"));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->property("count"), 40);
    EXPECT_TRUE(testing::runUntil([&] { return feed->property("atYEnd").toBool(); }))
        << "the newest line is in view";
    EXPECT_NE(shown("line 55"), nullptr);
}

TEST_F(ContentViewTest, TheMenuTidiesOnlyAFocusedStudentAndAsksForTheTidyPromptWindow) {
    store().loadRoster({"Nadia Ford"});
    QSignalSpy windows(&m_panel, &desktop::FloatingPanel::windowRequested);
    const auto openMenu = [&] {
        click(named(root(), "menuButton"));
        settle();
        return m_panel.window().contentItem();
    };
    QQuickItem* tidy = withText(openMenu(), "Tidy Notes with Claude");
    ASSERT_NE(tidy, nullptr);
    EXPECT_FALSE(tidy->isEnabled()) << "nobody focused";
    click(withText(m_panel.window().contentItem(), "Edit Tidy Prompt…"));
    EXPECT_EQ(windows.count(), 1);
    EXPECT_EQ(windows.value(0).value(0), "tidy");

    store().handleTranscript("Nadia Ford");
    tidy = withText(openMenu(), "Tidy Notes with Claude");
    ASSERT_NE(tidy, nullptr);
    EXPECT_TRUE(tidy->isEnabled());
    click(withText(m_panel.window().contentItem(), "Show Activity"));
    EXPECT_FALSE(m_controller.showActivity());
    EXPECT_EQ(named(root(), "feedList"), nullptr);
}

} // namespace
} // namespace kelvarn
