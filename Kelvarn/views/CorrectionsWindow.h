#pragma once

#include "views/ToolWindow.h"

class QQmlEngine;
class QQuickWindow;

namespace kelvarn::app {
class AppController;
}

namespace kelvarn::views {

// The one corrections window, over the application controller's rules.
class CorrectionsWindow final {
public:
    CorrectionsWindow(QQmlEngine& engine, app::AppController& controller);

    // Makes the window on first use (centred), then shows it in front and gives it the keyboard;
    // what was typed into its fields is still there. False when it cannot be made.
    bool show();
    // Null until the first show.
    QQuickWindow* window() const { return m_window.window(); }

private:
    app::AppController& m_controller;
    ToolWindow m_window;
};

} // namespace kelvarn::views
