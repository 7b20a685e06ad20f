#include "app/AppController.h"
#include "app/AppFakes.h"
#include "support/QtPrinting.h"
#include "support/QuickItems.h"
#include "views/ControllerWindow.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using testing::named;
using testing::withText;

constexpr char emptyText[] = "No corrections yet. Use ✎ Fix on a heard line, or add one below.";

class CorrectionsWindowTest : public ::testing::Test {
protected:
    QQuickWindow& show() {
        EXPECT_TRUE(m_corrections.show());
        QQuickWindow* window = m_corrections.window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        testing::settle(*window);
        return *window;
    }
    QQuickItem* item(const QString& name) {
        testing::settle(*m_corrections.window());
        return named(m_corrections.window()->contentItem(), name);
    }
    QQuickItem* shown(const QString& text) {
        testing::settle(*m_corrections.window());
        return withText(m_corrections.window()->contentItem(), text);
    }
    void type(const QString& field, const QString& text) { item(field)->setProperty("text", text); }

    testing::FakeScheduler m_scheduler;
    testing::FakeDialogs m_dialogs;
    app::AppController m_controller{{std::nullopt, m_scheduler, m_dialogs, {}, nullptr, nullptr}};
    QSignalSpy m_vocabulary{&m_controller, &app::AppController::vocabularyChanged};
    QQmlEngine m_engine;
    views::CorrectionsWindow m_corrections{m_engine, m_controller};
};

TEST_F(CorrectionsWindowTest, AddsRulesTypedInAndDeletesThemAgain) {
    QQuickWindow& window = show();
    EXPECT_EQ(window.title(), "Corrections");
    EXPECT_EQ(window.size(), QSize(440, 380));
    EXPECT_TRUE(window.flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_NE(shown(emptyText), nullptr);

    QQuickItem* add = shown("Add");
    ASSERT_NE(add, nullptr);
    EXPECT_FALSE(add->isEnabled());
    type("heardField", "  ");
    type("replacementField", "Nadia");
    EXPECT_FALSE(add->isEnabled()) << "heard is only spaces";
    type("heardField", "Nadir ");
    type("replacementField", " \n");
    EXPECT_FALSE(add->isEnabled()) << "the replacement is only white space";
    type("replacementField", " Nadia ");
    EXPECT_TRUE(add->isEnabled());
    testing::click(window, add);
    ASSERT_EQ(m_controller.store().corrections().size(), 1);
    EXPECT_EQ(m_controller.store().corrections()[0].heard, "nadir");
    EXPECT_EQ(m_controller.store().corrections()[0].replacement, "Nadia");
    EXPECT_EQ(m_vocabulary.count(), 1);
    EXPECT_EQ(item("heardField")->property("text"), "");
    EXPECT_EQ(item("replacementField")->property("text"), "");
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(shown(emptyText), nullptr);
    EXPECT_NE(shown("“nadir”"), nullptr);
    EXPECT_NE(shown("Nadia"), nullptr);

    m_controller.addCorrection("a lease", "Elise");
    EXPECT_NE(shown("“a lease”"), nullptr) << "rules added elsewhere show up";
    testing::saveScreenshot(window, "corrections.png");

    for (int left = 1; left >= 0; --left) {
        testing::click(window, shown("Delete this rule"));
        EXPECT_EQ(m_controller.store().corrections().size(), static_cast<std::size_t>(left));
    }
    EXPECT_EQ(m_vocabulary.count(), 4) << "after each rule added or removed";
    EXPECT_NE(shown(emptyText), nullptr) << "the last rule is gone";
}

TEST_F(CorrectionsWindowTest, ClosingHidesTheWindowWhichComesBackWithItsFields) {
    QQuickWindow& window = show();
    type("heardField", "half typed");
    window.close();
    EXPECT_FALSE(window.isVisible());

    EXPECT_EQ(&show(), &window) << "one window, kept while hidden";
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(item("heardField")->property("text"), "half typed");
}

} // namespace
} // namespace kelvarn
