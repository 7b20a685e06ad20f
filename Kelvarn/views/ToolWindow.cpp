#include "views/ToolWindow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>

#include <QDebug>

namespace kelvarn::views {

ToolWindow::ToolWindow(QQmlEngine& engine, QUrl source, QString name)
    : m_engine(engine), m_source(std::move(source)), m_name(std::move(name)) {}

ToolWindow::~ToolWindow() = default;

bool ToolWindow::show(const QVariantMap& properties) {
    if (!m_window && !create(properties)) {
        return false;
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    return true;
}

bool ToolWindow::create(const QVariantMap& properties) {
    QQmlComponent component(&m_engine, m_source);
    if (!component.isReady()) {
        qWarning().noquote() << "The" << m_name
                             << "window cannot be shown:" << component.errorString();
        return false;
    }
    std::unique_ptr<QObject> made(component.createWithInitialProperties(properties));
    auto* window = qobject_cast<QQuickWindow*>(made.get());
    if (window == nullptr) {
        qWarning().noquote() << "The" << m_name
                             << "window cannot be shown:" << component.errorString();
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
