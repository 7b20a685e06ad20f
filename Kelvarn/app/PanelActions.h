#pragma once

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

#include <functional>

namespace kelvarn::app {

// What the panel's view asks of the window it is shown in and of the application around it; the
// desktop's panel window and the application answer. A request is delivered while the view's
// event is still being handled, so a move started from a press follows the pointer.
class PanelActions final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The panel's window hands its actions to the view.")

public:
    explicit PanelActions(QObject* parent) : QObject(parent) {}

    // The window system moves the frameless panel with the pointer.
    Q_INVOKABLE void startMove() { emit moveRequested(); }
    Q_INVOKABLE void hide() { emit hideRequested(); }
    // One of the application's windows, by its launch name.
    Q_INVOKABLE void openWindow(const QString& name) { emit windowRequested(name); }
    // What the tray menu also offers, for desktops that show no tray.
    Q_INVOKABLE void quit() { emit quitRequested(); }
    Q_INVOKABLE void showDataFolder() { emit dataFolderRequested(); }
    Q_INVOKABLE void toggleStartAtLogin() { emit startAtLoginToggleRequested(); }
    // Read when the menu opens: the entry can change outside Kelvarn.
    Q_INVOKABLE bool startsAtLogin() const { return startsAtLoginSource && startsAtLoginSource(); }
    std::function<bool()> startsAtLoginSource;

signals:
    void moveRequested();
    void hideRequested();
    void windowRequested(const QString& name);
    void quitRequested();
    void dataFolderRequested();
    void startAtLoginToggleRequested();
};

} // namespace kelvarn::app
