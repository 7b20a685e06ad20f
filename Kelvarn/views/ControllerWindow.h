#pragma once

#include "views/ToolWindow.h"

class QQmlEngine;
class QQuickWindow;

namespace kelvarn::app {
class AppController;
}

namespace kelvarn::views {

// A small window over the application controller alone (corrections, comments): its QML root
// takes the controller as its one required property.
class ControllerWindow {
public:
    // qmlFile is the window's file in the Kelvarn module; name says which window in warnings.
    ControllerWindow(QQmlEngine& engine, app::AppController& controller, const QString& qmlFile,
                     const QString& name);

    // Makes the window on first use (centred), then shows it in front and gives it the keyboard;
    // what was typed into its fields is still there. False when it cannot be made.
    bool show();
    // Null until the first show.
    QQuickWindow* window() const { return m_window.window(); }

private:
    app::AppController& m_controller;
    ToolWindow m_window;
};

// The one corrections window, over the controller's rules.
class CorrectionsWindow final : public ControllerWindow {
public:
    CorrectionsWindow(QQmlEngine& engine, app::AppController& controller)
        : ControllerWindow(engine, controller, QStringLiteral("CorrectionsWindow.qml"),
                           QStringLiteral("corrections")) {}
};

// The one comments window, over the controller's comment bank.
class CommentsWindow final : public ControllerWindow {
public:
    CommentsWindow(QQmlEngine& engine, app::AppController& controller)
        : ControllerWindow(engine, controller, QStringLiteral("CommentsWindow.qml"),
                           QStringLiteral("comments")) {}
};

} // namespace kelvarn::views
