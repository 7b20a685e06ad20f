#include "speech/AudioTap.h"

#include "speech/InputLevel.h"

namespace kelvarn::speech {

AudioTap::AudioTap(const AudioFormat& captureFormat, const AudioFormat& outFormat,
                   std::shared_ptr<AudioInputQueue> queue, LevelHandler onLevel)
    : m_converter(captureFormat == outFormat ? nullptr
                                             : FormatConverter::create(captureFormat, outFormat)),
      m_outFormat(outFormat), m_queue(std::move(queue)), m_onLevel(std::move(onLevel)) {}

void AudioTap::process(const AudioBuffer& captured) {
    meter(captured);
    if (!m_converter) {
        m_queue->push(captured);
        return;
    }
    if (auto converted = m_converter->convert(captured)) {
        m_queue->push(std::move(*converted));
    }
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
