#include "views/ControllerWindow.h"

#include "app/AppController.h"

namespace kelvarn::views {

ControllerWindow::ControllerWindow(QQmlEngine& engine, app::AppController& controller,
                                   const QString& qmlFile, const QString& name)
    : m_controller(controller),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/") + qmlFile), name) {}

bool ControllerWindow::show() {
    return m_window.show({{QStringLiteral("controller"), QVariant::fromValue(&m_controller)}});
}

} // namespace kelvarn::views
