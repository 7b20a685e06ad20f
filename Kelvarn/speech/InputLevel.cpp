#include "speech/InputLevel.h"

#include <algorithm>
#include <cmath>

namespace kelvarn::speech {

std::optional<float> inputLevel(const AudioBuffer& buffer) {
    const std::vector<float>* samples = buffer.floats();
    const std::size_t frames = buffer.frameCount();
    if (samples == nullptr || frames == 0) {
        return std::nullopt;
    }
    const auto stride = static_cast<std::size_t>(buffer.format.channels);
    float sumOfSquares = 0;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const float sample = (*samples)[frame * stride];
        sumOfSquares += sample * sample;
    }
    const float rms = std::sqrt(sumOfSquares / static_cast<float>(frames));
    return std::min(rms * 8.0f, 1.0f);
}

} // namespace kelvarn::speech
