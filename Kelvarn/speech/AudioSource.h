#pragma once

#include "speech/AudioBuffer.h"
#include "speech/SpeechMessages.h"
#include "support/Result.h"

#include <QCoroTask>

#include <functional>
#include <string>

namespace kelvarn::speech {

enum class MicrophoneAccess { notDetermined, restricted, denied, authorized };

// A capture device. One object serves one listening run.
class AudioSource {
public:
    using BufferHandler = std::function<void(const AudioBuffer&)>;
    // Capture ended by itself: the sound server went away or the device was removed.
    using FailureHandler = std::function<void()>;

    virtual ~AudioSource() = default;

    virtual MicrophoneAccess access() const = 0;
    // Asks once; true when capture is allowed.
    virtual QCoro::Task<bool> requestAccess() = 0;
    // Why access was refused, and what to do about it.
    virtual std::string refusal() const { return messages::microphoneDenied; }
    // The format of the buffers start() delivers: float samples.
    virtual AudioFormat captureFormat() const = 0;
    // Delivers buffers of up to 4096 frames to the handler on an audio thread; `failed` is
    // called at most once, on any thread, if capture ends without a stop().
    virtual Result<void> start(BufferHandler handler, FailureHandler failed) = 0;
    // After it returns the handlers are neither running nor called again. Safe to call twice.
    virtual void stop() = 0;

protected:
    AudioSource() = default;
    AudioSource(const AudioSource&) = default;
    AudioSource& operator=(const AudioSource&) = default;
};

} // namespace kelvarn::speech
