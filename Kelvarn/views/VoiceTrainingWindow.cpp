#include "views/VoiceTrainingWindow.h"

#include "app/VoiceTrainingObject.h"

namespace kelvarn::views {

VoiceTrainingWindow::VoiceTrainingWindow(QQmlEngine& engine, app::VoiceTrainingObject& training)
    : m_training(training),
      m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/VoiceTrainingWindow.qml")),
               QStringLiteral("voice training")) {}

bool VoiceTrainingWindow::show() {
    m_training.prepare();
    return m_window.show({{QStringLiteral("training"), QVariant::fromValue(&m_training)}});
}

} // namespace kelvarn::views
