#include "views/CorrectionsWindow.h"

#include "app/AppController.h"

namespace kelvarn::views {

CorrectionsWindow::CorrectionsWindow(QQmlEngine& engine, app::AppController& controller)
    : m_controller(controller),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/CorrectionsWindow.qml")),
               QStringLiteral("corrections")) {}

bool CorrectionsWindow::show() {
    return m_window.show({{QStringLiteral("controller"), QVariant::fromValue(&m_controller)}});
}

} // namespace kelvarn::views
