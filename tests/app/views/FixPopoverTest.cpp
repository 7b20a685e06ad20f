#include "app/AppController.h"
#include "app/AppFakes.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"
#include "support/QuickItems.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace kelvarn {
namespace {

using testing::named;
using testing::withText;

// The fix button in both its forms, as the panel places them (the full one in the live strip,
// the compact one on the feed's last heard line), with the panel's own keys. Its address makes
// the views' names resolve as in the panel.
constexpr char hostQml[] = R"(
import QtQuick
import QtQuick.Layouts

ColumnLayout {
    id: host
    required property QtObject app

    KeyboardShortcuts { controller: host.app }
    FixButton { objectName: "fullFix"; controller: host.app }
    ActivityFeed { Layout.fillWidth: true; controller: host.app }
    Item { Layout.fillHeight: true }
}
)";

class FixPopoverTest : public ::testing::Test {
protected:
    FixPopoverTest() {
        QQmlComponent component(&m_engine);
        component.setData(hostQml, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/FixHost.qml")));
        m_root.reset(qobject_cast<QQuickItem*>(component.createWithInitialProperties(
            {{QStringLiteral("app"), QVariant::fromValue<QObject*>(&m_controller)}})));
        EXPECT_NE(m_root, nullptr) << component.errorString().toStdString();
        m_window.resize(420, 560);
        m_root->setParentItem(m_window.contentItem());
        m_root->setSize(m_window.size());
        m_window.show();
        m_window.requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
        store().loadRoster({"Nadia Ford", "Omar Haddad"});
        m_vocabulary.clear(); // the class's names reached it; only what a test does counts
    }

    GradingStore& store() { return m_controller.store(); }
    QQuickItem* item(const QString& name) {
        testing::settle(m_window);
        return named(m_window.contentItem(), name);
    }
    QQuickItem* fullButton() { return item("fullFix"); }
    // The compact one, on the feed line.
    QQuickItem* compactButton() {
        testing::settle(m_window);
        return testing::findItem(m_window.contentItem(), [](QQuickItem* found) {
            return found->property("compact").toBool();
        });
    }
    bool showing(QQuickItem* button) { return button->property("showing").toBool(); }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&m_window, static_cast<Qt::Key>(key), modifiers);
    }
    // Types into the popover's text as the user would change it.
    void edit(const QString& text) {
        item("fixText")->setProperty("text", text);
        testing::settle(m_window);
    }
    QQuickItem* rememberBox() { return item("rememberBox"); }
    bool rememberChecked() { return rememberBox()->property("checked").toBool(); }
    std::vector<std::string> feedTexts() {
        std::vector<std::string> texts;
        for (const FeedItem& line : m_controller.store().feed()) {
            texts.push_back(line.text);
        }
        return texts;
    }

    testing::FakeScheduler m_scheduler;
    testing::FakeDialogs m_dialogs;
    app::AppController m_controller{{std::nullopt, m_scheduler, m_dialogs, {}, nullptr, nullptr}};
    QSignalSpy m_vocabulary{&m_controller, &app::AppController::vocabularyChanged};
    QQmlEngine m_engine;
    QQuickWindow m_window;
    std::unique_ptr<QQuickItem> m_root;
};

TEST_F(FixPopoverTest, TheButtonsFollowTheLastHeardLineAndCtrlKActsOnlyWhenItCanBeFixed) {
    EXPECT_EQ(fullButton(), nullptr) << "nothing heard yet";
    EXPECT_EQ(compactButton(), nullptr);

    store().handleTranscript("Nadia Ford intro mostly");
    QQuickItem* full = fullButton();
    ASSERT_NE(full, nullptr);
    ASSERT_NE(compactButton(), nullptr) << "on the heard line of the feed";
    EXPECT_TRUE(named(full, "fixButton")->isEnabled());
    EXPECT_EQ(full->property("help"), "Fix what was heard and re-run it (Ctrl+K)");

    key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(showing(full)) << "Ctrl+K is bound once, to the full form";
    EXPECT_FALSE(showing(compactButton()));
    key(Qt::Key_Escape);
    EXPECT_FALSE(showing(full));
    EXPECT_EQ(store().session().focus.section, SectionID::intro)
        << "Escape closed the popover without unfocusing";

    store().focusSection(std::nullopt);
    EXPECT_FALSE(named(full, "fixButton")->isEnabled());
    EXPECT_FALSE(named(compactButton(), "fixButton")->isEnabled());
    const QString help = "Something changed since this line — edit the notes directly instead";
    EXPECT_EQ(full->property("help"), help);
    QTest::mouseMove(&m_window, QPoint(300, 400)); // from elsewhere, so that the pointer enters
    QTest::mouseMove(&m_window, full->mapToScene(QPointF(8, 8)).toPoint());
    EXPECT_TRUE(testing::runUntil([&] { return withText(m_window.contentItem(), help); }))
        << "the disabled button still says why on hover";
    key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(showing(full));
}

TEST_F(FixPopoverTest, OpensWithTheHeardTextAndReRunsOnlyAChangedText) {
    store().handleTranscript("nadia intro");
    QQuickItem* compact = compactButton();
    testing::click(m_window, named(compact, "fixButton"));
    ASSERT_TRUE(showing(compact));
    QQuickItem* text = item("fixText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->property("text"), "nadia intro");
    EXPECT_TRUE(text->hasActiveFocus());
    EXPECT_NE(item("rerunButton"), nullptr);
    EXPECT_NE(withText(m_window.contentItem(), "Heard: “nadia intro”"), nullptr);
    EXPECT_EQ(rememberBox(), nullptr) << "nothing to remember yet";

    const std::size_t linesBefore = store().feed().size();
    key(Qt::Key_Return);
    EXPECT_TRUE(showing(compact)) << "the text is what was heard";
    EXPECT_EQ(store().feed().size(), linesBefore);
    edit("  nadia intro \n");
    EXPECT_FALSE(item("rerunButton")->isEnabled()) << "surrounding spaces change nothing";
    key(Qt::Key_Return);
    EXPECT_TRUE(showing(compact));
    edit("   ");
    EXPECT_FALSE(item("rerunButton")->isEnabled());

    edit("nadia claims ");
    EXPECT_TRUE(item("rerunButton")->isEnabled());
    testing::saveScreenshot(m_window, "fix-popover.png");
    testing::click(m_window, item("rerunButton"));
    EXPECT_EQ(item("fixText"), nullptr) << "closed";
    EXPECT_THAT(feedTexts(), ::testing::Contains("✎ Fixed “nadia intro” → “nadia claims”"));
    EXPECT_EQ(store().lastUtterance()->text, "nadia claims");
    EXPECT_EQ(store().session().focus.section, SectionID::claims);
    EXPECT_TRUE(store().corrections().empty()) << "not asked to remember";
    EXPECT_EQ(m_vocabulary.count(), 0);
    EXPECT_TRUE(named(compactButton(), "fixButton")->isEnabled()) << "the fix can be fixed";
}

TEST_F(FixPopoverTest, RememberFollowsANameFixUntilTheUserDecidesAndTeachesTheRule) {
    store().handleTranscript("omar hadad intro mostly");
    key(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(showing(fullButton()));

    edit("omar Haddad intro mostly");
    ASSERT_NE(rememberBox(), nullptr);
    EXPECT_EQ(rememberBox()->property("text"), "Always fix “hadad” → “Haddad”");
    EXPECT_TRUE(rememberChecked()) << "a misheard surname";
    edit("omar hadad intro somewhat");
    EXPECT_FALSE(rememberChecked()) << "a grade word";
    edit("omar Haddad intro mostly");
    EXPECT_TRUE(rememberChecked());

    testing::click(m_window, rememberBox());
    EXPECT_FALSE(rememberChecked());
    edit("omar hadad intro complete");
    edit("omar Haddad intro mostly");
    EXPECT_FALSE(rememberChecked()) << "the user's choice stands";
    testing::click(m_window, rememberBox());
    edit("omar hadad intro complete");
    EXPECT_TRUE(rememberChecked());
    edit("omar Haddad intro mostly");

    key(Qt::Key_Return);
    EXPECT_FALSE(showing(fullButton()));
    ASSERT_EQ(store().corrections().size(), 1);
    EXPECT_EQ(store().corrections()[0].heard, "hadad");
    EXPECT_EQ(store().corrections()[0].replacement, "Haddad");
    EXPECT_EQ(m_vocabulary.count(), 1) << "the recogniser listens for the new word";
    EXPECT_EQ(store().session().focusedStudent()->name, "Omar Haddad");

    key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(item("fixText")->property("text"), "omar Haddad intro mostly");
    EXPECT_EQ(rememberBox(), nullptr) << "opened afresh";
}

TEST_F(FixPopoverTest, WithoutARuleToLearnNothingIsRememberedAndTheVocabularyStays) {
    store().handleTranscript("nadia intro mostly");
    key(Qt::Key_K, Qt::ControlModifier);
    edit("nadia intro complete");
    testing::click(m_window, rememberBox());
    ASSERT_TRUE(rememberChecked());
    edit("one two three four five six seven");
    EXPECT_EQ(rememberBox(), nullptr) << "seven words changed: no rule";

    testing::click(m_window, item("rerunButton"));
    EXPECT_FALSE(showing(fullButton()));
    EXPECT_TRUE(store().corrections().empty());
    EXPECT_EQ(m_vocabulary.count(), 0);
    EXPECT_EQ(store().lastUtterance()->text, "one two three four five six seven");
}

} // namespace
} // namespace kelvarn
