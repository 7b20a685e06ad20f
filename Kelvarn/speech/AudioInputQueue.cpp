#include "speech/AudioInputQueue.h"

namespace kelvarn::speech {

void AudioInputQueue::push(AudioBuffer buffer) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_finished) {
            return;
        }
        m_buffers.push_back(std::move(buffer));
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
