#include "views/HelpWindow.h"
#include "support/QtPrinting.h"
#include "support/QuickItems.h"
#include "views/HelpTexts.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvarn::views {
namespace {

TEST(HelpTextsTest, SectionWordsFollowTheRubricAndTheExampleChainsANameSectionAndLevel) {
    const HelpTexts texts = helpTexts();
    EXPECT_EQ(texts.sections,
              "introduction, supporting claims, use of evidence, analysis of evidence, "
              "conclusion, general structure and style, thesis, claims, style…");
    EXPECT_EQ(texts.example, "“" + texts.exampleName + ", conclusion, mostly.”");
}

TEST(HelpWindowTest, ShowsTheVoiceCommandsAndKeysInOneScrollingWindow) {
    QQmlEngine engine;
    HelpWindow help(engine);
    ASSERT_TRUE(help.show());
    QQuickWindow* window = help.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->title(), "Voice Commands");
    EXPECT_LE(window->width(), 1024);
    EXPECT_LE(window->height(), 768) << "fits a small laptop's screen";
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowStaysOnTopHint));
    testing::settle(*window);

    // Long lines wrap inside the window instead of running off its right edge.
    QQuickItem* root = window->contentItem();
    QStringList cutOff;
    testing::findItem(root, [&](QQuickItem* item) {
        if (item->inherits("QQuickText")) {
            const qreal laidOut = item->property("contentWidth").toReal();
            if (item->mapToScene(QPointF(laidOut, 0)).x() > window->width()) {
                cutOff.push_back(item->property("text").toString());
            }
        }
        return false;
    });
    EXPECT_TRUE(cutOff.isEmpty()) << cutOff.join('\n').toStdString();
    for (const QString& text : {
             QStringLiteral("Say a command <b>on its own</b>, with a short pause before and "
                            "after. Anything longer is treated as a note for whatever is focused."),
             helpTexts().example,
             helpTexts().sections,
             QStringLiteral("“correction: <text>” — replaces the last note you dictated"),
             QStringLiteral("click ✎ Fix (Ctrl+K) on the last heard line, edit it, and it re-runs"),
             QStringLiteral("Ctrl+Alt+G / Ctrl+Alt+L"),
             QStringLiteral("Ctrl+Z  Esc"),
             QStringLiteral("Ctrl+T Ctrl+\\"),
         }) {
        EXPECT_NE(testing::withText(root, text), nullptr) << text.toStdString();
    }
    testing::saveScreenshot(*window, "help.png");

    window->close();
    ASSERT_TRUE(help.show());
    EXPECT_EQ(help.window(), window) << "one window, only hidden when closed";
}

} // namespace
} // namespace kelvarn::views
