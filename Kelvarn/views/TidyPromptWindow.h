#pragma once

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace kelvarn {
class Preferences;
}

namespace kelvarn::tidy {
class TidyPrompt;
}

namespace kelvarn::views {

// The one tidy prompt window: a small tool window above the others, made on first use and only
// hidden when closed, so its text lives as long as the application.
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
    QQuickWindow* window() const { return m_window.get(); }

private:
    bool create();

    QQmlEngine& m_engine;
    Preferences& m_preferences;
    std::unique_ptr<tidy::TidyPrompt> m_prompt;
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace kelvarn::views
