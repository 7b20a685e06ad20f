#pragma once

#include "update/Updater.h"

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

namespace kelvarn::app {

// The updater as QML sees it. Each property's signal is re-emitted from the updater's own
// state notification and fires only when that property's value changed. Main thread only.
class UpdaterObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    // "idle", "checking", "upToDate", "available", "installing" or "failed".
    Q_PROPERTY(QString state READ state NOTIFY stateChanged)
    // The available update's version and notes; empty in every other state.
    Q_PROPERTY(QString version READ version NOTIFY versionChanged)
    Q_PROPERTY(QString notes READ notes NOTIFY notesChanged)
    // The message of the failed state; empty in every other.
    Q_PROPERTY(QString failureMessage READ failureMessage NOTIFY failureMessageChanged)
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)

public:
    explicit UpdaterObject(update::Updater& updater, QObject* parent = nullptr);

    QString state() const { return m_state; }
    QString version() const { return m_version; }
    QString notes() const { return m_notes; }
    QString failureMessage() const { return m_failureMessage; }
    QString currentVersion() const { return m_updater.currentVersion(); }

    // Back to idle: the banner's Dismiss and Later. Refused while installing.
    Q_INVOKABLE void setIdle();
    // Each runs as a main-thread task; the outcome is the new state.
    Q_INVOKABLE void install();
    Q_INVOKABLE void check();
    // The banner's Cancel while installing: the install ends failed, the bundle as it was.
    Q_INVOKABLE void cancel();

signals:
    void stateChanged();
    void versionChanged();
    void notesChanged();
    void failureMessageChanged();

private:
    void refresh();

    update::Updater& m_updater;
    QString m_state;
    QString m_version;
    QString m_notes;
    QString m_failureMessage;
};

} // namespace kelvarn::app
