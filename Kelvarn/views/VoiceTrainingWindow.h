#pragma once

#include "views/ToolWindow.h"

class QQmlEngine;
class QQuickWindow;

namespace kelvarn::app {
class VoiceTrainingObject;
}

namespace kelvarn::views {

// The one window that trains the recogniser on the user's voice.
class VoiceTrainingWindow final {
public:
    VoiceTrainingWindow(QQmlEngine& engine, app::VoiceTrainingObject& training);

    // Makes the window on first use (centred), then shows it in front with prompts for the
    // class as it is now; takes already made are kept. False when it cannot be made.
    bool show();
    // Null until the first show.
    QQuickWindow* window() const { return m_window.window(); }

private:
    app::VoiceTrainingObject& m_training;
    ToolWindow m_window;
};

} // namespace kelvarn::views
