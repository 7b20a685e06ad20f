#include "views/TidyPromptWindow.h"

#include "settings/Preferences.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"
#include "tidy/TidyInstructions.h"

#include <QImage>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace kelvarn::views {
namespace {

// The first item below root, root included, whose property has the value.
QQuickItem* itemWith(QQuickItem* root, const char* property, const QString& value) {
    if (root->property(property).toString() == value) {
        return root;
    }
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = itemWith(child, property, value)) {
            return found;
        }
    }
    return nullptr;
}

QQuickItem* itemWithText(QQuickItem* root, const QString& text) {
    return itemWith(root, "text", text);
}

QQuickItem* editorOf(QQuickItem* root) {
    return itemWith(root, "objectName", QStringLiteral("instructionsEditor"));
}

class TidyPromptWindowTest : public ::testing::Test {
protected:
    testing::TempFolder m_folder;
    Preferences m_preferences{QString::fromStdString((m_folder.path() / "Kelvarn.conf").string())};
    QQmlEngine m_engine;
    TidyPromptWindow m_prompt{m_engine, m_preferences};
};

TEST_F(TidyPromptWindowTest, ShowsTheInstructionsSavesEveryEditAndResetsToTheDefault) {
    ASSERT_TRUE(m_prompt.show());
    QQuickWindow* window = m_prompt.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->title(), QStringLiteral("Tidy Prompt"));
    EXPECT_EQ(window->size(), QSize(520, 420));
    EXPECT_EQ(window->minimumSize(), QSize(400, 300));
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowStaysOnTopHint));
    QQuickItem* root = window->contentItem();
    ASSERT_NE(itemWithText(root, QStringLiteral("Instructions Claude follows when tidying notes "
                                                "(Ctrl+T). Saved as you type.")),
              nullptr);
    ASSERT_NE(itemWithText(root, QStringLiteral("Always added after your instructions, so the app "
                                                "can read the reply: keep [STUDENT] as written; "
                                                "reply with only a JSON object with the same "
                                                "keys.")),
              nullptr);
    QQuickItem* reset = itemWithText(root, QStringLiteral("Reset to Default"));
    QQuickItem* editor = editorOf(root);
    ASSERT_NE(reset, nullptr);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->property("text").toString(), tidy::defaultInstructions());
    EXPECT_FALSE(reset->isEnabled()) << "nothing to reset";

    if (const char* folder = std::getenv("KELVARN_SCREENSHOTS")) {
        window->grabWindow().save(QString::fromLocal8Bit(folder) + "/tidy-prompt.png");
    }

    editor->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_End, Qt::ControlModifier);
    for (const char c : std::string_view(" Be brief.")) {
        QTest::keyClick(window, c);
    }
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible()) << "Return in the editor starts a new line";
    const QString edited = tidy::defaultInstructions() + " Be brief.\n";
    EXPECT_EQ(tidy::instructions(m_preferences), edited) << "saved as typed";
    EXPECT_TRUE(reset->isEnabled());

    QMetaObject::invokeMethod(reset, "clicked");
    EXPECT_EQ(editor->property("text").toString(), tidy::defaultInstructions());
    EXPECT_FALSE(m_preferences.string(QLatin1String(tidy::instructionsKey)).has_value());
    EXPECT_FALSE(reset->isEnabled());
}

TEST_F(TidyPromptWindowTest, DoneEscapeAndReturnHideTheWindowWhichComesBackAsItWas) {
    tidy::setInstructions(m_preferences, QStringLiteral("Mine."));
    ASSERT_TRUE(m_prompt.show());
    QQuickWindow* window = m_prompt.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    QQuickItem* done = itemWithText(window->contentItem(), QStringLiteral("Done"));
    ASSERT_NE(done, nullptr);
    QMetaObject::invokeMethod(done, "clicked");
    EXPECT_FALSE(window->isVisible());

    tidy::setInstructions(m_preferences, QStringLiteral("Changed elsewhere."));
    ASSERT_TRUE(m_prompt.show());
    EXPECT_EQ(m_prompt.window(), window) << "one window, kept when hidden";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QQuickItem* editor = editorOf(window->contentItem());
    EXPECT_EQ(editor->property("text").toString(), QStringLiteral("Mine."))
        << "the text lives with the window";

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    ASSERT_TRUE(m_prompt.show());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    done->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible()) << "Return outside the editor is Done";
}

} // namespace
} // namespace kelvarn::views
