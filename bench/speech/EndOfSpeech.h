#pragma once

#include "speech/AudioBuffer.h"

namespace kelvarn::bench {

// Seconds from the start of the audio to its last sample louder than the noise floor.
double endOfSpeech(const speech::AudioBuffer& audio);

} // namespace kelvarn::bench
