#include "app/ListeningStatus.h"

namespace kelvarn::app {

ListeningStatus listeningStatus(const speech::SpeechState& state, bool voicePaused, bool asleep) {
    using Kind = speech::SpeechState::Kind;
    switch (state.kind) {
    case Kind::off:
        return {QStringLiteral("mic"), QStringLiteral("secondary"),
                QStringLiteral("Not listening")};
    case Kind::starting:
        return {QStringLiteral("ellipsis"), QStringLiteral("gray"), QStringLiteral("Starting…")};
    case Kind::downloadingModel:
        return {QStringLiteral("ellipsis"), QStringLiteral("gray"),
                QStringLiteral("Downloading speech model (one time)…")};
    case Kind::listening:
        if (voicePaused && asleep) {
            return {QStringLiteral("mic.slash.fill"), QStringLiteral("orange"),
                    QStringLiteral("Asleep — say “resume listening”"), StatusIcon::paused};
        }
        if (voicePaused) {
            return {QStringLiteral("mic.slash.fill"), QStringLiteral("orange"),
                    QStringLiteral("Paused — say “resume listening”"), StatusIcon::paused};
        }
        return {QStringLiteral("mic.fill"), QStringLiteral("green"), QStringLiteral("Listening"),
                StatusIcon::listening};
    case Kind::failed:
        break;
    }
    return {QStringLiteral("exclamationmark"), QStringLiteral("red"),
            QString::fromStdString(state.message), StatusIcon::failed};
}

QString stateKey(speech::SpeechState::Kind kind) {
    using Kind = speech::SpeechState::Kind;
    switch (kind) {
    case Kind::off:
        return QStringLiteral("off");
    case Kind::starting:
        return QStringLiteral("starting");
    case Kind::downloadingModel:
        return QStringLiteral("downloadingModel");
    case Kind::listening:
        return QStringLiteral("listening");
    case Kind::failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace kelvarn::app
