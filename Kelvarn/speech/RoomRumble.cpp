#include "speech/RoomRumble.h"

#include <algorithm>

namespace kelvarn::speech {

namespace {

constexpr int rumbleStep = 256;
constexpr double rumbleGain = 0.3;
constexpr double rumblePole = 0.9;

} // namespace

void RoomRumble::addTo(std::span<std::int16_t> samples) {
    std::uniform_int_distribution<int> step(-rumbleStep, rumbleStep);
    for (std::int16_t& sample : samples) {
        m_level = rumblePole * m_level + rumbleGain * step(m_random);
        sample = static_cast<std::int16_t>(
            std::clamp(sample + static_cast<int>(m_level), -32768, 32767));
    }
}

} // namespace kelvarn::speech
