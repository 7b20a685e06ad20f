#include "speech/FormatConverter.h"

#include <soxr.h>

namespace kelvarn::speech {

std::uint32_t outputCapacity(std::size_t frames, double inputRate, double outputRate) {
    const double scaled = static_cast<double>(frames) * (outputRate / inputRate);
    return static_cast<std::uint32_t>(scaled) + 1024;
}

std::unique_ptr<FormatConverter> FormatConverter::create(const AudioFormat& from,
                                                         const AudioFormat& to) {
    if (from.sampleType != SampleType::float32 || from.channels < 1 || to.channels < 1 ||
        !(from.sampleRate > 0) || !(to.sampleRate > 0)) {
        return nullptr;
    }
    soxr_io_spec_t io = soxr_io_spec(
        SOXR_FLOAT32_I, to.sampleType == SampleType::int16 ? SOXR_INT16_I : SOXR_FLOAT32_I);
    // Dither turns digital silence into faint noise, which the recogniser's voice detector
    // takes for speech; it then hears the next real words worse.
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    soxr_t resampler =
        soxr_create(from.sampleRate, to.sampleRate, static_cast<unsigned>(to.channels), &error, &io,
                    &quality, nullptr);
    if (error != nullptr || resampler == nullptr) {
        soxr_delete(resampler);
        return nullptr;
    }
    return std::unique_ptr<FormatConverter>(new FormatConverter(resampler, from, to));
}

FormatConverter::FormatConverter(soxr* resampler, AudioFormat from, AudioFormat to)
    : m_resampler(resampler), m_from(from), m_to(to) {}

FormatConverter::~FormatConverter() {
    soxr_delete(m_resampler);
}

// The resampler keeps the channel count, so channels are mixed first: down to mono by
// averaging, otherwise by picking (and repeating) input channels.
std::vector<float> FormatConverter::remix(const std::vector<float>& input,
                                          std::size_t frames) const {
    const auto in = static_cast<std::size_t>(m_from.channels);
    const auto out = static_cast<std::size_t>(m_to.channels);
    std::vector<float> mixed(frames * out);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const float* source = input.data() + frame * in;
        if (out == 1) {
            float sum = 0;
            for (std::size_t c = 0; c < in; ++c) {
                sum += source[c];
            }
            mixed[frame] = sum / static_cast<float>(in);
        } else {
            for (std::size_t c = 0; c < out; ++c) {
                mixed[frame * out + c] = source[c % in];
            }
        }
    }
    return mixed;
}

std::optional<AudioBuffer> FormatConverter::convert(const AudioBuffer& captured) {
    const std::vector<float>* samples = captured.floats();
    const std::size_t frames = captured.frameCount();
    // An empty input would tell the resampler to flush.
    if (samples == nullptr || frames == 0 || captured.format.channels != m_from.channels) {
        return std::nullopt;
    }
    const std::vector<float> mixed =
        m_from.channels == m_to.channels ? *samples : remix(*samples, frames);
    const std::uint32_t capacity =
        outputCapacity(frames, captured.format.sampleRate, m_to.sampleRate);
    const auto channels = static_cast<std::size_t>(m_to.channels);

    AudioBuffer output{m_to, {}};
    std::size_t produced = 0;
    const auto run = [&](auto& out) {
        out.resize(std::size_t{capacity} * channels);
        std::size_t consumed = 0;
        const soxr_error_t error = soxr_process(m_resampler, mixed.data(), frames, &consumed,
                                                out.data(), capacity, &produced);
        out.resize(produced * channels);
        return error == nullptr;
    };
    bool ok = false;
    if (m_to.sampleType == SampleType::int16) {
        std::vector<std::int16_t> out;
        ok = run(out);
        output.samples = std::move(out);
    } else {
        std::vector<float> out;
        ok = run(out);
        output.samples = std::move(out);
    }
    if (!ok || produced == 0) {
        return std::nullopt;
    }
    return output;
}

} // namespace kelvarn::speech
