#include "app/SpeechObject.h"

#include "app/Assign.h"

namespace kelvarn::app {

SpeechObject::SpeechObject(speech::SpeechEngine& engine, StoreObject& store, QObject* parent)
    : QObject(parent), m_engine(engine), m_store(store) {
    refresh();
    connect(&engine, &speech::SpeechEngine::stateChanged, this, &SpeechObject::refresh);
    connect(&store, &StoreObject::voicePausedChanged, this, &SpeechObject::refresh);
    // The engine announces these only when they change.
    connect(&engine, &speech::SpeechEngine::partialChanged, this, &SpeechObject::partialChanged);
    connect(&engine, &speech::SpeechEngine::levelChanged, this, &SpeechObject::levelChanged);
}

void SpeechObject::setAsleep(bool asleep) {
    m_asleep = asleep;
    refresh();
}

void SpeechObject::refresh() {
    const speech::SpeechState& state = m_engine.state();
    const bool paused = m_store.voicePaused();
    const ListeningStatus status = listeningStatus(state, paused, m_asleep);
    if (assign(m_state, stateKey(state.kind))) {
        emit stateChanged();
    }
    if (assign(m_failureMessage, QString::fromStdString(state.message))) {
        emit failureMessageChanged();
    }
    if (assign(m_isRunning, state.isRunning())) {
        emit isRunningChanged();
    }
    if (assign(m_status.symbol, status.symbol)) {
        emit symbolChanged();
    }
    if (assign(m_status.colour, status.colour)) {
        emit colourChanged();
    }
    if (assign(m_status.text, status.text)) {
        emit statusTextChanged();
    }
    if (assign(m_status.icon, status.icon)) {
        emit statusIconChanged();
    }
    if (assign(m_showsLevel, state.kind == speech::SpeechState::Kind::listening && !paused)) {
        emit showsLevelChanged();
    }
}

} // namespace kelvarn::app
