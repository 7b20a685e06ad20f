#pragma once

#include "speech/AudioBuffer.h"

#include <cstdint>
#include <memory>
#include <optional>

struct soxr;

namespace kelvarn::speech {

// Frames to allow for the converted form of `frames` captured frames: the rate ratio with
// 1024 frames of headroom for what the resampler held back earlier.
std::uint32_t outputCapacity(std::size_t frames, double inputRate, double outputRate);

// Streaming conversion of captured float buffers to another rate, channel count and sample
// type (libsoxr). Used on the audio thread only.
class FormatConverter final {
public:
    // Nothing when the pair cannot be converted (the input must be float samples).
    static std::unique_ptr<FormatConverter> create(const AudioFormat& from, const AudioFormat& to);
    ~FormatConverter();
    FormatConverter(const FormatConverter&) = delete;
    FormatConverter& operator=(const FormatConverter&) = delete;

    const AudioFormat& outputFormat() const { return m_to; }
    // Feeds one captured buffer once; the frames ready so far, or nothing when the
    // conversion failed or has no frames to give yet.
    std::optional<AudioBuffer> convert(const AudioBuffer& captured);

private:
    FormatConverter(soxr* resampler, AudioFormat from, AudioFormat to);
    std::vector<float> remix(const std::vector<float>& input, std::size_t frames) const;

    soxr* m_resampler;
    AudioFormat m_from;
    AudioFormat m_to;
};

} // namespace kelvarn::speech
