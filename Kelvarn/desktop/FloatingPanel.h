#pragma once

#include "app/PanelActions.h"

#include <QObject>
#include <QRect>
#include <QUrl>
#include <QVariantMap>

#include <memory>

class QQuickView;
class QQmlEngine;

namespace kelvarn {
class Preferences;
}

namespace kelvarn::desktop {

// The always-on-top panel that hosts the panel views: a frameless tool window (no taskbar entry)
// that never takes focus when it appears, yet takes typing once clicked, and shows on every
// desktop. Its frame is kept in the preferences under "KelvarnPanel". Main thread only.
class FloatingPanel final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize fullSize{420, 680};
    static constexpr QSize compactSize{400, 150};
    static constexpr QSize minimumSize{340, 130};

    FloatingPanel(QQmlEngine& engine, Preferences& preferences, QObject* parent = nullptr);
    ~FloatingPanel() override;

    QQuickView& window() { return *m_window; }
    // Shows the root view at url, made with these required properties.
    void setContent(const QUrl& url, const QVariantMap& properties);
    // What the view may ask of this window: hand it to the view as its "panel".
    app::PanelActions& actions() { return m_actions; }

    bool isVisible() const;
    // Shown in front without taking focus from the window the user is in.
    void show();
    void hide();
    void toggle();

    // Resizes for compact mode, keeping the top-left corner where it is.
    void setCompact(bool compact);

signals:
    // The view asked for one of the application's windows by its launch name.
    void windowRequested(const QString& name);
    // The panel was hidden, by its ✕, a key or the tray.
    void hidden();

private:
    void restoreFrame();
    void saveFrame() const;
    void showOnAllDesktops();

    Preferences& m_preferences;
    app::PanelActions m_actions{this};
    std::unique_ptr<QQuickView> m_window;
};

} // namespace kelvarn::desktop
