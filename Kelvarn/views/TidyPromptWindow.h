#pragma once

#include "views/ToolWindow.h"

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace kelvarn {
class Preferences;
}

namespace kelvarn::app {
class TidyPrompt;
}

namespace kelvarn::views {

// The one tidy prompt window, where the note tidier's instructions are edited.
class TidyPromptWindow final {
public:
    TidyPromptWindow(QQmlEngine& engine, Preferences& preferences);
    ~TidyPromptWindow();
    TidyPromptWindow(const TidyPromptWindow&) = delete;
    TidyPromptWindow& operator=(const TidyPromptWindow&) = delete;

    // Makes the window on first use (centred), then shows it in front and gives it the keyboard.
    // False, with a warning in the log, when the window cannot be made (Qt Quick Controls missing).
    bool show();
    // Null until the first show.
    QQuickWindow* window() const { return m_window.window(); }

private:
    Preferences& m_preferences;
    std::unique_ptr<app::TidyPrompt> m_prompt;
    ToolWindow m_window;
};

} // namespace kelvarn::views
