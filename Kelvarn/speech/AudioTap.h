#pragma once

#include "speech/AudioBuffer.h"
#include "speech/AudioInputQueue.h"
#include "speech/FormatConverter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace kelvarn::speech {

// What the capture callback does with each buffer, on the audio thread: meter the level,
// convert to the recogniser's format and queue. It never touches the engine itself.
class AudioTap final {
public:
    using LevelHandler = std::function<void(float)>;

    // Converts only when the capture format differs from outFormat; when no converter can be
    // made, buffers pass unconverted. While muted is set, and for half a second after, silence
    // is queued in place of what was captured.
    AudioTap(const AudioFormat& captureFormat, const AudioFormat& outFormat,
             std::shared_ptr<AudioInputQueue> queue, LevelHandler onLevel,
             std::shared_ptr<const std::atomic<bool>> muted = nullptr);

    bool converts() const { return m_converter != nullptr; }
    const AudioFormat& outFormat() const { return m_outFormat; }

    void process(const AudioBuffer& captured);

private:
    void meter(const AudioBuffer& captured);
    void queue(AudioBuffer buffer);

    std::unique_ptr<FormatConverter> m_converter;
    AudioFormat m_outFormat;
    std::shared_ptr<AudioInputQueue> m_queue;
    LevelHandler m_onLevel;
    std::shared_ptr<const std::atomic<bool>> m_muted;
    // Frames still to be silenced since muting ended.
    std::int64_t m_echoFrames = 0;
    std::int64_t m_levelCounter = 0;
};

} // namespace kelvarn::speech
