#include "views/TidyPromptWindow.h"

#include "app/TidyPrompt.h"

namespace kelvarn::views {

TidyPromptWindow::TidyPromptWindow(QQmlEngine& engine, Preferences& preferences)
    : m_preferences(preferences),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/TidyPromptWindow.qml")),
               QStringLiteral("tidy prompt")) {}

TidyPromptWindow::~TidyPromptWindow() = default;

bool TidyPromptWindow::show() {
    if (!m_prompt) {
        m_prompt = std::make_unique<app::TidyPrompt>(m_preferences);
    }
    return m_window.show({{QStringLiteral("prompt"), QVariant::fromValue(m_prompt.get())}});
}

} // namespace kelvarn::views
