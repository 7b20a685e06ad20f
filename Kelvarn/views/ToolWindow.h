#pragma once

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace kelvarn::views {

// One of the small windows beside the panel (tidy prompt, corrections, help): made from its QML
// on first use with the objects it shows, centred then, and only hidden when closed, so that
// what is typed into it lives as long as the application.
class ToolWindow final {
public:
    // name says which window, in the warning when it cannot be made.
    ToolWindow(QQmlEngine& engine, QUrl source, QString name);
    ~ToolWindow();
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    // Makes the window on first use with these required properties (later calls reuse it as it
    // is), then shows it in front and gives it the keyboard. False, with a warning in the log,
    // when the window cannot be made (Qt Quick Controls missing).
    bool show(const QVariantMap& properties);
    // Null until the first show.
    QQuickWindow* window() const { return m_window.get(); }

private:
    bool create(const QVariantMap& properties);

    QQmlEngine& m_engine;
    QUrl m_source;
    QString m_name;
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace kelvarn::views
