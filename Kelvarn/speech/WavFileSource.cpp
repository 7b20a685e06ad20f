#include "speech/WavFileSource.h"

#include "speech/WavFile.h"

#include <chrono>

namespace kelvarn::speech {

namespace {
constexpr std::size_t framesPerBuffer = 4096;
}

WavFileSource::WavFileSource(std::filesystem::path path, Pace pace, std::function<void()> onEnd)
    : m_audio(wavFile::read(path)), m_pace(pace), m_onEnd(std::move(onEnd)) {}

WavFileSource::~WavFileSource() {
    stop();
}

QCoro::Task<bool> WavFileSource::requestAccess() {
    co_return true;
}

AudioFormat WavFileSource::captureFormat() const {
    return m_audio ? m_audio.value().format : AudioFormat{};
}

// A file never goes away, so capture never fails by itself.
Result<void> WavFileSource::start(BufferHandler handler, FailureHandler) {
    if (!m_audio) {
        return Error{m_audio.error()};
    }
    if (m_player.joinable()) {
        return Error{"already playing"};
    }
    m_stopping = false;
    m_player = std::thread([this, handler = std::move(handler)] { play(handler); });
    return {};
}

void WavFileSource::stop() {
    m_stopping = true;
    if (m_player.joinable()) {
        m_player.join();
    }
}

void WavFileSource::play(BufferHandler handler) {
    const AudioBuffer& audio = m_audio.value();
    const auto& samples = *audio.floats();
    const auto channels = static_cast<std::size_t>(audio.format.channels);
    const auto bufferTime =
        std::chrono::duration<double>(framesPerBuffer / audio.format.sampleRate);
    auto due = std::chrono::steady_clock::now();
    for (std::size_t frame = 0; frame < audio.frameCount() && !m_stopping;
         frame += framesPerBuffer) {
        const std::size_t frames = std::min(framesPerBuffer, audio.frameCount() - frame);
        const auto first = samples.begin() + static_cast<std::ptrdiff_t>(frame * channels);
        handler(AudioBuffer{
            audio.format,
            std::vector<float>(first, first + static_cast<std::ptrdiff_t>(frames * channels))});
        if (m_pace == Pace::realTime) {
            due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(bufferTime);
            std::this_thread::sleep_until(due);
        }
    }
    if (!m_stopping && m_onEnd) {
        m_onEnd();
    }
}

} // namespace kelvarn::speech
