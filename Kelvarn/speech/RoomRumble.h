#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace kelvarn::speech {

// A faint low rumble, such as any microphone in a room picks up: about -50 dBFS, mostly below
// 300 Hz (random steps through a one-pole low-pass). Synthetic and digitally clean speech has
// none, and the recogniser, which learnt from recordings, hears such speech far worse without
// it; real recordings have a floor of their own near that level. Training hears it too, so the
// adapted model learns the same silence the decoder later hears.
class RoomRumble final {
public:
    void addTo(std::span<std::int16_t> samples);

private:
    std::minstd_rand m_random;
    double m_level = 0;
};

} // namespace kelvarn::speech
