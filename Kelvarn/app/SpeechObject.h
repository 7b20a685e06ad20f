#pragma once

#include "app/ListeningStatus.h"
#include "app/StoreObject.h"
#include "speech/SpeechEngine.h"

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

namespace kelvarn::app {

// The speech engine as QML sees it, with what the header derives from its state and the store's
// pause. Each property's signal is re-emitted from the engine's or the store's own notification
// and fires only when that property's value changed. Main thread only, like the engine.
class SpeechObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(QString state READ state NOTIFY stateChanged)
    // The message of the failed state; empty in every other.
    Q_PROPERTY(QString failureMessage READ failureMessage NOTIFY failureMessageChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(QString partial READ partial NOTIFY partialChanged)
    Q_PROPERTY(double level READ level NOTIFY levelChanged)
    Q_PROPERTY(QString symbol READ symbol NOTIFY symbolChanged)
    Q_PROPERTY(QString colour READ colour NOTIFY colourChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    // The level meter is shown only while listening and not paused.
    Q_PROPERTY(bool showsLevel READ showsLevel NOTIFY showsLevelChanged)

public:
    SpeechObject(speech::SpeechEngine& engine, StoreObject& store, QObject* parent = nullptr);

    QString state() const { return m_state; }
    QString failureMessage() const { return m_failureMessage; }
    bool isRunning() const { return m_isRunning; }
    QString partial() const { return m_engine.partial(); }
    double level() const { return m_engine.level(); }
    QString symbol() const { return m_status.symbol; }
    QString colour() const { return m_status.colour; }
    QString statusText() const { return m_status.text; }
    bool showsLevel() const { return m_showsLevel; }
    // The tray icon's look; C++ only.
    StatusIcon statusIcon() const { return m_status.icon; }
    // A pause that listening took by itself, after a quiet time: the header says so.
    void setAsleep(bool asleep);

signals:
    void stateChanged();
    void failureMessageChanged();
    void isRunningChanged();
    void partialChanged();
    void levelChanged();
    void symbolChanged();
    void colourChanged();
    void statusTextChanged();
    void showsLevelChanged();
    void statusIconChanged();

private:
    void refresh();

    speech::SpeechEngine& m_engine;
    StoreObject& m_store;
    QString m_state;
    QString m_failureMessage;
    bool m_isRunning = false;
    ListeningStatus m_status;
    bool m_showsLevel = false;
    bool m_asleep = false;
};

} // namespace kelvarn::app
