#pragma once

#include "views/ToolWindow.h"

class QQmlEngine;
class QQuickWindow;

namespace kelvarn::views {

// The one voice-command help window.
class HelpWindow final {
public:
    explicit HelpWindow(QQmlEngine& engine);

    // Makes the window on first use (centred), then shows it in front. False when it cannot be
    // made.
    bool show();
    // Null until the first show.
    QQuickWindow* window() const { return m_window.window(); }

private:
    ToolWindow m_window;
};

} // namespace kelvarn::views
