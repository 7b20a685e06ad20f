#pragma once

namespace kelvarn::speech {

enum class SampleType { float32, int16 };

// Interleaved PCM.
struct AudioFormat {
    double sampleRate = 0;
    int channels = 0;
    SampleType sampleType = SampleType::float32;

    bool operator==(const AudioFormat&) const = default;
};

// What the recogniser takes.
inline constexpr AudioFormat speechFormat{16000, 1, SampleType::int16};

} // namespace kelvarn::speech
