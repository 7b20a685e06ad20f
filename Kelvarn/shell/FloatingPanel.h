#pragma once

#include <QObject>
#include <QRect>
#include <QUrl>

#include <memory>

class QQuickView;
class QQmlEngine;

namespace kelvarn::app {

// The always-on-top panel that hosts the panel views: a frameless tool window (no taskbar entry)
// that never takes focus when it appears, yet takes typing once clicked, and shows on every
// desktop. Its frame is kept in the settings under "KelvarnPanel". Main thread only.
class FloatingPanel final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize fullSize{420, 680};
    static constexpr QSize compactSize{400, 150};
    static constexpr QSize minimumSize{340, 130};

    explicit FloatingPanel(QQmlEngine& engine, QObject* parent = nullptr);
    ~FloatingPanel() override;

    QQuickView& window() { return *m_window; }
    // Shows the root view at url, with the given object as its "controller" context property.
    void setContent(const QUrl& url, QObject* controller);

    bool isVisible() const;
    // Shown in front without taking focus from the window the user is in.
    Q_INVOKABLE void show();
    Q_INVOKABLE void hide();
    Q_INVOKABLE void toggle();
    // For the view's background and edges: the window system moves and resizes the panel.
    Q_INVOKABLE void startMove();
    Q_INVOKABLE void startResize(Qt::Edges edges);

    // For the view's menu: asks for one of the application's windows by its launch name.
    Q_INVOKABLE void openWindow(const QString& name) { emit windowRequested(name); }

    // Resizes for compact mode, keeping the top-left corner where it is.
    void setCompact(bool compact);

signals:
    void windowRequested(const QString& name);

private:
    void restoreFrame();
    void saveFrame() const;
    void showOnAllDesktops();

    std::unique_ptr<QQuickView> m_window;
};

} // namespace kelvarn::app
