#include "speech/AudioInputQueue.h"

#include <utility>

namespace kelvarn::speech {

namespace {

double secondsOf(const AudioBuffer& buffer) {
    return buffer.format.sampleRate > 0
               ? static_cast<double>(buffer.frameCount()) / buffer.format.sampleRate
               : 0.0;
}

} // namespace

AudioInputQueue::AudioInputQueue(std::chrono::milliseconds capacity, DropHandler onDrop)
    : m_capacitySeconds(std::chrono::duration<double>(capacity).count()),
      m_onDrop(std::move(onDrop)) {}

void AudioInputQueue::push(AudioBuffer buffer) {
    DropHandler dropped;
    {
        const std::lock_guard lock(m_mutex);
        if (m_finished) {
            return;
        }
        m_queuedSeconds += secondsOf(buffer);
        m_buffers.push_back(std::move(buffer));
        // The newest buffer always stays: it is what the recogniser needs next once it catches up.
        while (m_buffers.size() > 1 && m_queuedSeconds > m_capacitySeconds) {
            m_queuedSeconds -= secondsOf(m_buffers.front());
            m_buffers.pop_front();
            dropped = std::exchange(m_onDrop, nullptr);
        }
    }
    if (dropped) {
        dropped();
    }
    m_changed.notify_one();
}

void AudioInputQueue::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

bool AudioInputQueue::isFinished() const {
    const std::lock_guard lock(m_mutex);
    return m_finished;
}

std::optional<AudioBuffer> AudioInputQueue::pop(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, wait, [this] { return !m_buffers.empty() || m_finished || m_woken; });
    m_woken = false;
    if (m_buffers.empty()) {
        return std::nullopt;
    }
    AudioBuffer buffer = std::move(m_buffers.front());
    m_buffers.pop_front();
    m_queuedSeconds -= secondsOf(buffer);
    return buffer;
}

bool AudioInputQueue::drained() const {
    const std::lock_guard lock(m_mutex);
    return m_finished && m_buffers.empty();
}

void AudioInputQueue::wake() {
    {
        const std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_changed.notify_all();
}

} // namespace kelvarn::speech
