#pragma once

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

namespace kelvarn::app {

// What the panel's view asks of the window it is shown in; the desktop's panel window answers.
// A request is delivered while the view's event is still being handled, so a move started from
// a press follows the pointer.
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

signals:
    void moveRequested();
    void hideRequested();
    void windowRequested(const QString& name);
};

} // namespace kelvarn::app
