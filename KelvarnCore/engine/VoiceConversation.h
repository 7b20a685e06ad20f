#pragma once

#include "engine/HeardUtterance.h"
#include "engine/Pending.h"

#include <optional>

namespace kelvarn {

// Where the spoken conversation stands between utterances.
struct VoiceConversation {
    std::optional<Pending> pending;
    bool paused = false;
    // A "correction" without text was said: the next dictated note replaces the last one.
    bool correctionArmed = false;
    std::optional<HeardUtterance> lastUtterance;
};

} // namespace kelvarn
