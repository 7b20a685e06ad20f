#include "speech/AudioTap.h"

#include "speech/InputLevel.h"

#include <algorithm>

namespace kelvarn::speech {

namespace {
constexpr double echoSeconds = 0.5;
} // namespace

AudioTap::AudioTap(const AudioFormat& captureFormat, const AudioFormat& outFormat,
                   std::shared_ptr<AudioInputQueue> queue, LevelHandler onLevel,
                   std::shared_ptr<const std::atomic<bool>> muted)
    : m_converter(captureFormat == outFormat ? nullptr
                                             : FormatConverter::create(captureFormat, outFormat)),
      m_outFormat(outFormat), m_queue(std::move(queue)), m_onLevel(std::move(onLevel)),
      m_muted(std::move(muted)) {}

void AudioTap::process(const AudioBuffer& captured) {
    meter(captured);
    if (!m_converter) {
        queue(captured);
        return;
    }
    if (auto converted = m_converter->convert(captured)) {
        queue(std::move(*converted));
    }
}

// Silence keeps the recogniser's clock running, so an utterance under way ends as usual. It
// goes on a little after muting ends: what was played reaches the capture that much later.
void AudioTap::queue(AudioBuffer buffer) {
    if (m_muted && m_muted->load()) {
        m_echoFrames = static_cast<std::int64_t>(buffer.format.sampleRate * echoSeconds);
    } else if (m_echoFrames > 0) {
        m_echoFrames -= static_cast<std::int64_t>(buffer.frameCount());
    } else {
        m_queue->push(std::move(buffer));
        return;
    }
    std::visit([](auto& samples) { std::fill(samples.begin(), samples.end(), 0); }, buffer.samples);
    m_queue->push(std::move(buffer));
}

// One buffer in three is metered: enough for a meter, and little work on the audio thread.
void AudioTap::meter(const AudioBuffer& captured) {
    ++m_levelCounter;
    if (m_levelCounter % 3 != 0) {
        return;
    }
    if (const auto level = inputLevel(captured); level && m_onLevel) {
        m_onLevel(*level);
    }
}

} // namespace kelvarn::speech
