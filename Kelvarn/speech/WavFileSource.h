#pragma once

#include "speech/AudioSource.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

namespace kelvarn::speech {

// Plays a WAV file into the engine as if it were a microphone, on a thread of its own, as
// fast as it can or at the pace of live audio.
class WavFileSource final : public AudioSource {
public:
    enum class Pace { asFastAsPossible, realTime };

    // onEnd runs on the playing thread after the last buffer.
    WavFileSource(std::filesystem::path path, Pace pace, std::function<void()> onEnd);
    ~WavFileSource() override;
    WavFileSource(const WavFileSource&) = delete;
    WavFileSource& operator=(const WavFileSource&) = delete;

    MicrophoneAccess access() const override { return MicrophoneAccess::authorized; }
    QCoro::Task<bool> requestAccess() override;
    AudioFormat captureFormat() const override;
    Result<void> start(BufferHandler handler, FailureHandler failed) override;
    void stop() override;

private:
    void play(BufferHandler handler);

    Result<AudioBuffer> m_audio;
    Pace m_pace;
    std::function<void()> m_onEnd;
    std::atomic<bool> m_stopping = false;
    std::thread m_player;
};

} // namespace kelvarn::speech
