#include "app/ReplayObject.h"

#include <utility>

namespace kelvarn::app {

ReplayObject::ReplayObject(speech::SpeechEngine& engine, StoreObject& store, QObject* parent)
    : QObject(parent), m_engine(engine), m_store(store) {
    connect(&m_store, &StoreObject::lastUtteranceChanged, this,
            &ReplayObject::lastUtteranceChanged);
    connect(&m_player, &speech::AudioPlayer::finished, this, [this](const QString& error) {
        m_engine.setMuted(false);
        Q_EMIT playingChanged();
        if (!error.isEmpty()) {
            Q_EMIT failed("Couldn't play what was heard: " + error + ".");
        }
    });
}

void ReplayObject::hear(const speech::Recording& recording, const std::function<void()>& handOver) {
    m_handingOver = true;
    m_handedOver = recording;
    handOver();
    m_handingOver = false;
    m_handedOver = nullptr;
}

void ReplayObject::lastUtteranceChanged() {
    if (m_handingOver) {
        m_current = m_handedOver;
    }
    if (std::exchange(m_available, available()) != m_available) {
        Q_EMIT availableChanged();
    }
}

void ReplayObject::play() {
    if (!available()) {
        return;
    }
    const bool wasPlaying = m_player.isPlaying();
    m_engine.setMuted(true);
    m_player.play(m_current);
    if (!wasPlaying) {
        Q_EMIT playingChanged();
    }
}

void ReplayObject::offerToTraining(const QString& text) {
    if (available() && !text.trimmed().isEmpty()) {
        Q_EMIT trainingTakeOffered(m_current, text.trimmed());
    }
}

} // namespace kelvarn::app
