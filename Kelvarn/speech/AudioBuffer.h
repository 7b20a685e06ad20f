#pragma once

#include "speech/AudioFormat.h"

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

namespace kelvarn::speech {

// One block of interleaved samples; the vector's type matches format.sampleType.
struct AudioBuffer {
    AudioFormat format;
    std::variant<std::vector<float>, std::vector<std::int16_t>> samples;

    std::size_t frameCount() const {
        const std::size_t count = std::visit([](const auto& s) { return s.size(); }, samples);
        return format.channels > 0 ? count / static_cast<std::size_t>(format.channels) : 0;
    }
    const std::vector<float>* floats() const { return std::get_if<std::vector<float>>(&samples); }
    const std::vector<std::int16_t>* ints() const {
        return std::get_if<std::vector<std::int16_t>>(&samples);
    }
};

} // namespace kelvarn::speech
