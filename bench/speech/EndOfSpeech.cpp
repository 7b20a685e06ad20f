#include "EndOfSpeech.h"

#include <cmath>

namespace kelvarn::bench {

double endOfSpeech(const speech::AudioBuffer& audio) {
    const auto& samples = *audio.floats();
    const auto channels = static_cast<std::size_t>(audio.format.channels);
    std::size_t last = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > 0.02f) {
            last = i / channels;
        }
    }
    return static_cast<double>(last) / audio.format.sampleRate;
}

} // namespace kelvarn::bench
