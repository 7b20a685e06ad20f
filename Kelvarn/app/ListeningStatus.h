#pragma once

#include "app/StatusIcon.h"
#include "speech/SpeechState.h"

#include <QString>

namespace kelvarn::app {

// What the header shows for the engine's state and the store's pause: the microphone symbol,
// the name of its circle's colour and the status text; and the tray icon's look.
struct ListeningStatus {
    QString symbol;
    // "secondary", "gray", "green", "orange" or "red"; the views pick the shade.
    QString colour;
    QString text;
    StatusIcon icon = StatusIcon::idle;

    bool operator==(const ListeningStatus&) const = default;
};

// asleep: the pause is one that listening took by itself after a quiet time.
ListeningStatus listeningStatus(const speech::SpeechState& state, bool voicePaused,
                                bool asleep = false);

// The state's case as the views switch on it: "off", "starting", "downloadingModel",
// "listening" or "failed".
QString stateKey(speech::SpeechState::Kind kind);

} // namespace kelvarn::app
