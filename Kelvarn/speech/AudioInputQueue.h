#pragma once

#include "speech/AudioBuffer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace kelvarn::speech {

// The stream from the audio tap to the recogniser. The audio thread never waits: when the
// recogniser falls behind by more than the capacity, the oldest audio is dropped, so a stalled
// recogniser costs a few seconds of audio rather than all the memory. Any thread may push; one
// consumer pops.
class AudioInputQueue final {
public:
    // Called once, on the pushing thread, the first time audio is dropped.
    using DropHandler = std::function<void()>;

    explicit AudioInputQueue(std::chrono::milliseconds capacity = std::chrono::seconds(8),
                             DropHandler onDrop = nullptr);

    void push(AudioBuffer buffer);
    // No more buffers will come; the consumer still gets those already queued.
    void finish();
    bool isFinished() const;

    // The next buffer, waiting at most `wait`; nothing when none came in time or when the
    // stream is finished and drained (tell them apart with drained()).
    std::optional<AudioBuffer> pop(std::chrono::milliseconds wait);
    bool drained() const;
    // Wakes a consumer waiting in pop so it can look at other work.
    void wake();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<AudioBuffer> m_buffers;
    const double m_capacitySeconds;
    double m_queuedSeconds = 0;
    DropHandler m_onDrop;
    bool m_finished = false;
    bool m_woken = false;
};

} // namespace kelvarn::speech
