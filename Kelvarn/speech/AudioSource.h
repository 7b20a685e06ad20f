#pragma once

#include "speech/AudioBuffer.h"
#include "support/Result.h"

#include <QCoroTask>

#include <functional>

namespace kelvarn::speech {

enum class MicrophoneAccess { notDetermined, restricted, denied, authorized };

// A capture device. One object serves one listening run.
class AudioSource {
public:
    using BufferHandler = std::function<void(const AudioBuffer&)>;

    virtual ~AudioSource() = default;

    virtual MicrophoneAccess access() const = 0;
    // Asks once; true when capture is allowed.
    virtual QCoro::Task<bool> requestAccess() = 0;
    // The format of the buffers start() delivers: float samples.
    virtual AudioFormat captureFormat() const = 0;
    // Delivers buffers of up to 4096 frames to the handler on an audio thread.
    virtual Result<void> start(BufferHandler handler) = 0;
    // After it returns the handler is neither running nor called again. Safe to call twice.
    virtual void stop() = 0;

protected:
    AudioSource() = default;
    AudioSource(const AudioSource&) = default;
    AudioSource& operator=(const AudioSource&) = default;
};

} // namespace kelvarn::speech
