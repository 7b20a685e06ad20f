#include "speech/AudioRecorder.h"

#include "speech/AudioFormat.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kelvarn::speech {

namespace {

// Each read waits for this much: a stop takes effect within it.
constexpr std::size_t chunkSamples = 1600;

} // namespace

AudioRecorder::~AudioRecorder() {
    stop();
    join();
}

void AudioRecorder::join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void AudioRecorder::start() {
    stop();
    join();
    m_stopping = false;
    m_recording = true;
    m_thread = std::thread(&AudioRecorder::run, this, ++m_take);
}

void AudioRecorder::stop() {
    m_stopping = true;
}

// The recorder thread.
void AudioRecorder::run(std::uint64_t take) {
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE,
                                      static_cast<std::uint32_t>(speechFormat.sampleRate), 1};
    const auto bytes = static_cast<std::uint32_t>(chunkSamples * sizeof(std::int16_t));
    const pa_buffer_attr buffering{static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                   static_cast<std::uint32_t>(-1), static_cast<std::uint32_t>(-1),
                                   bytes};
    int code = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Kelvarn", PA_STREAM_RECORD, nullptr,
                                      "Voice training", &sampleFormat, nullptr, &buffering, &code);
    bool recorded = stream != nullptr;
    auto samples = std::make_shared<std::vector<std::int16_t>>();
    const auto longest = static_cast<std::size_t>(longestSeconds * speechFormat.sampleRate);
    std::vector<std::int16_t> chunk(chunkSamples);
    while (recorded && !m_stopping && samples->size() < longest) {
        recorded =
            pa_simple_read(stream, chunk.data(), chunk.size() * sizeof(std::int16_t), &code) >= 0;
        if (recorded) {
            samples->insert(samples->end(), chunk.begin(), chunk.end());
            int loudest = 0;
            for (const std::int16_t sample : chunk) {
                loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
            }
            const double level = loudest / 32768.0;
            QMetaObject::invokeMethod(
                this,
                [this, take, level] {
                    if (take == m_take && m_recording) {
                        Q_EMIT levelChanged(level);
                    }
                },
                Qt::QueuedConnection);
        }
    }
    if (stream != nullptr) {
        pa_simple_free(stream);
    }
    const QString error = recorded ? QString() : QString::fromUtf8(pa_strerror(code));
    QMetaObject::invokeMethod(
        this,
        [this, take, error, recording = Recording(std::move(samples))] {
            if (take != m_take) {
                return;
            }
            m_recording = false;
            Q_EMIT finished(recording, error);
        },
        Qt::QueuedConnection);
}

} // namespace kelvarn::speech
