#pragma once

#include "speech/AudioBuffer.h"

#include <optional>

namespace kelvarn::speech {

// The level meter's reading of one captured buffer: the RMS of its first channel times 8,
// capped at 1; nothing for a buffer without float samples or without frames.
std::optional<float> inputLevel(const AudioBuffer& buffer);

} // namespace kelvarn::speech
