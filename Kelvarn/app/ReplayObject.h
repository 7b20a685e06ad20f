#pragma once

#include "app/StoreObject.h"
#include "speech/AudioPlayer.h"
#include "speech/SpeechEngine.h"

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

#include <functional>

namespace kelvarn::app {

// Plays back what was said in the last utterance, the one Fix corrects, so the user can hear
// whether they or the recogniser got it wrong. Only that recording is kept, in memory. While one
// plays, the recogniser hears silence: the loudspeaker must not give commands. Main thread only.
class ReplayObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(bool available READ available NOTIFY availableChanged)
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)

public:
    ReplayObject(speech::SpeechEngine& engine, StoreObject& store, QObject* parent = nullptr);

    // Hands a finished utterance to the store (handOver) with its recording, which becomes
    // the last utterance's when the store takes the utterance as its last.
    void hear(const speech::Recording& recording, const std::function<void()>& handOver);

    bool available() const { return m_current != nullptr && m_store.hasLastUtterance(); }
    bool playing() const { return m_player.isPlaying(); }
    Q_INVOKABLE void play();
    Q_INVOKABLE void stop() { m_player.stop(); }
    // Offers the recording, with the words said in it as fixed, to the voice training.
    Q_INVOKABLE void offerToTraining(const QString& text);

signals:
    void availableChanged();
    void playingChanged();
    void trainingTakeOffered(const speech::Recording& recording, const QString& text);
    // The sound server would not play it.
    void failed(const QString& message);

private:
    void lastUtteranceChanged();

    speech::SpeechEngine& m_engine;
    StoreObject& m_store;
    speech::AudioPlayer m_player;
    // The last utterance's; a fix keeps it, since the fixed text was said in it.
    speech::Recording m_current;
    // While the store takes an utterance: its recording.
    bool m_handingOver = false;
    speech::Recording m_handedOver;
    bool m_available = false;
};

} // namespace kelvarn::app
