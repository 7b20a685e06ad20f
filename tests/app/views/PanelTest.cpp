#include "PanelTest.h"

#include "support/EventLoop.h"

#include <QSettings>
#include <QTest>

#include <cstdlib>

namespace kelvarn::testing {

QQuickItem* findItem(QQuickItem* root, const std::function<bool(QQuickItem*)>& test) {
    if (!root->isVisible()) {
        return nullptr;
    }
    if (test(root)) {
        return root;
    }
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findItem(child, test)) {
            return found;
        }
    }
    return nullptr;
}

QQuickItem* withText(QQuickItem* root, const QString& text) {
    return findItem(root, [&](QQuickItem* item) { return item->property("text") == text; });
}

QQuickItem* named(QQuickItem* root, const QString& name) {
    return findItem(root, [&](QQuickItem* item) { return item->objectName() == name; });
}

PanelTest::PanelTest(std::unique_ptr<update::Updater> updater,
                     std::unique_ptr<speech::SpeechEngine> speech, app::AppController::Tidy tidy)
    : m_controller({std::nullopt, m_scheduler, m_dialogs, std::move(tidy), std::move(updater),
                    std::move(speech)}) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(m_temp.path().string()));
    m_panel.setContent(QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/ContentView.qml")), &m_controller);
    m_panel.window().show();
    m_panel.window().requestActivate();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&m_panel.window()));
}

QQuickItem* PanelTest::shown(const QString& text) {
    settle();
    return withText(root(), text);
}

void PanelTest::settle() {
    bool swapped = false;
    const auto connection =
        QObject::connect(&m_panel.window(), &QQuickWindow::frameSwapped, [&] { swapped = true; });
    m_panel.window().update();
    runUntil([&] { return swapped; });
    QObject::disconnect(connection);
}

void PanelTest::click(QQuickItem* item) {
    ASSERT_NE(item, nullptr);
    settle();
    QTest::mouseClick(&m_panel.window(), Qt::LeftButton, {},
                      item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
}

void PanelTest::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&m_panel.window(), static_cast<Qt::Key>(key), modifiers);
}

void PanelTest::screenshot(const char* name) {
    if (const char* folder = std::getenv("KELVARN_SCREENSHOTS")) {
        m_panel.window().grabWindow().save(QString::fromLocal8Bit(folder) + "/" + name);
    }
}

} // namespace kelvarn::testing
