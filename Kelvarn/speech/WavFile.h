#pragma once

#include "speech/AudioBuffer.h"
#include "support/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::speech {

// A WAV file's samples as interleaved floats: 16-bit integer or 32-bit float PCM, any rate
// and channel count.
namespace wavFile {

inline constexpr std::size_t maxBytes = std::size_t{1} << 30;

Result<AudioBuffer> parse(std::string_view bytes);
Result<AudioBuffer> read(const std::filesystem::path& path);
// A 16-bit mono PCM file of the samples.
std::string encode(const std::vector<std::int16_t>& samples, int sampleRate);

} // namespace wavFile

} // namespace kelvarn::speech
