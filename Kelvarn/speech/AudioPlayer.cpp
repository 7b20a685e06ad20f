#include "speech/AudioPlayer.h"

#include "speech/AudioFormat.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>

namespace kelvarn::speech {

namespace {

// The server is given little ahead of what it plays, so stopping takes effect within this.
constexpr std::size_t aheadSamples = 1600;

} // namespace

AudioPlayer::~AudioPlayer() {
    stop();
    join();
}

void AudioPlayer::join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void AudioPlayer::play(Recording recording) {
    stop();
    join();
    if (!recording || recording->empty()) {
        return;
    }
    m_stopping = false;
    m_playing = true;
    m_thread = std::thread(&AudioPlayer::run, this, std::move(recording), ++m_playback);
}

void AudioPlayer::stop() {
    m_stopping = true;
}

// The player thread.
void AudioPlayer::run(Recording recording, std::uint64_t playback) {
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE,
                                      static_cast<std::uint32_t>(speechFormat.sampleRate), 1};
    const auto bytes = static_cast<std::uint32_t>(aheadSamples * sizeof(std::int16_t));
    const pa_buffer_attr buffering{static_cast<std::uint32_t>(-1), bytes,
                                   static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                   static_cast<std::uint32_t>(-1)};
    int code = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Kelvarn", PA_STREAM_PLAYBACK, nullptr,
                                      "What was heard", &sampleFormat, nullptr, &buffering, &code);
    bool played = stream != nullptr;
    const std::vector<std::int16_t>& samples = *recording;
    for (std::size_t at = 0; played && at < samples.size() && !m_stopping; at += aheadSamples) {
        const std::size_t count = std::min(aheadSamples, samples.size() - at);
        played =
            pa_simple_write(stream, samples.data() + at, count * sizeof(std::int16_t), &code) >= 0;
    }
    if (played) {
        played =
            (m_stopping ? pa_simple_flush(stream, &code) : pa_simple_drain(stream, &code)) >= 0;
    }
    if (stream != nullptr) {
        pa_simple_free(stream);
    }
    const QString error = played ? QString() : QString::fromUtf8(pa_strerror(code));
    QMetaObject::invokeMethod(
        this,
        [this, playback, error] {
            if (playback != m_playback) {
                return;
            }
            m_playing = false;
            Q_EMIT finished(error);
        },
        Qt::QueuedConnection);
}

} // namespace kelvarn::speech
