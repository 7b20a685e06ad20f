#pragma once

#include "speech/AudioSource.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace kelvarn::speech {

// The default microphone through the sound server (PulseAudio, or PipeWire serving its API).
// Capture is allowed when the server accepts a connection and has an input source. The
// server's thread delivers small chunks; they are regrouped into 4096-frame buffers there.
class PulseAudioSource final : public AudioSource {
public:
    PulseAudioSource();
    ~PulseAudioSource() override;
    PulseAudioSource(const PulseAudioSource&) = delete;
    PulseAudioSource& operator=(const PulseAudioSource&) = delete;

    MicrophoneAccess access() const override;
    QCoro::Task<bool> requestAccess() override;
    std::string refusal() const override;
    AudioFormat captureFormat() const override { return m_format; }
    Result<void> start(BufferHandler handler, FailureHandler failed) override;
    void stop() override;

private:
    bool connect();
    bool readDefaultSource();
    void disconnect();
    void onReadable(std::size_t bytes);
    void onStreamState();

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::thread m_connecting;
    bool m_connected = false;
    bool m_reachedServer = false; // written by the connecting thread, read after it joined
    AudioFormat m_format{};
    std::string m_sourceName;

    // Used on the server's thread, under its lock.
    BufferHandler m_handler;
    FailureHandler m_failed;
    std::vector<float> m_pending;
};

} // namespace kelvarn::speech
