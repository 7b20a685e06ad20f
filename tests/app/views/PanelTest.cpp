#include "PanelTest.h"

#include "support/EventLoop.h"
#include "views/ContentViewSource.h"

#include <QTest>

namespace kelvarn::testing {

PanelTest::PanelTest(std::unique_ptr<update::Updater> updater,
                     std::unique_ptr<speech::SpeechEngine> speech, app::AppController::Tidy tidy)
    : m_controller({std::nullopt, m_scheduler, m_dialogs, std::move(tidy), std::move(updater),
                    std::move(speech)}) {
    m_panel.setContent(views::contentViewSource(),
                       views::contentViewProperties(m_controller, m_panel.actions()));
    m_panel.window().show();
    m_panel.window().requestActivate();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&m_panel.window()));
}

QQuickItem* PanelTest::shown(const QString& text) {
    settle();
    return withText(root(), text);
}

void PanelTest::settle() {
    testing::settle(m_panel.window());
}

void PanelTest::click(QQuickItem* item) {
    testing::click(m_panel.window(), item);
}

void PanelTest::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&m_panel.window(), static_cast<Qt::Key>(key), modifiers);
}

void PanelTest::screenshot(const char* name) {
    saveScreenshot(m_panel.window(), name);
}

} // namespace kelvarn::testing
