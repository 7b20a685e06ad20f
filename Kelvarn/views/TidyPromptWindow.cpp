#include "views/TidyPromptWindow.h"

#include "tidy/TidyPrompt.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>

#include <QDebug>

namespace kelvarn::views {

TidyPromptWindow::TidyPromptWindow(QQmlEngine& engine, Preferences& preferences)
    : m_engine(engine), m_preferences(preferences) {}

TidyPromptWindow::~TidyPromptWindow() = default;

bool TidyPromptWindow::show() {
    if (!m_window && !create()) {
        return false;
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    return true;
}

bool TidyPromptWindow::create() {
    if (!m_prompt) {
        m_prompt = std::make_unique<tidy::TidyPrompt>(m_preferences);
    }
    QQmlComponent component(&m_engine,
                            QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/TidyPromptWindow.qml")));
    if (!component.isReady()) {
        qWarning().noquote() << "The tidy prompt window cannot be shown:"
                             << component.errorString();
        return false;
    }
    std::unique_ptr<QObject> made(component.createWithInitialProperties(
        {{QStringLiteral("prompt"), QVariant::fromValue(m_prompt.get())}}));
    auto* window = qobject_cast<QQuickWindow*>(made.get());
    if (window == nullptr) {
        qWarning().noquote() << "The tidy prompt window cannot be shown:"
                             << component.errorString();
        return false;
    }
    made.release();
    m_window.reset(window);
    if (const QScreen* screen = m_window->screen()) {
        const QRect area = screen->availableGeometry();
        m_window->setPosition(area.center() -
                              QPoint(m_window->width() / 2, m_window->height() / 2));
    }
    return true;
}

} // namespace kelvarn::views
