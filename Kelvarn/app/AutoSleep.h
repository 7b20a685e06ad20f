#pragma once

#include "app/Scheduler.h"

#include <chrono>
#include <cstdint>
#include <functional>

class QObject;

namespace kelvarn::app {

// Falls asleep after a stretch of listening in which nothing was heard: a microphone left on
// over lunch must not take the room's talk for grades. The time is counted from the last
// restart; a later restart or a cancel forgets every earlier count.
class AutoSleep final {
public:
    static constexpr std::chrono::minutes defaultAfter{10};

    AutoSleep(Scheduler& scheduler, const QObject& context, std::function<void()> fallAsleep);

    // Zero: never.
    std::chrono::minutes after() const { return m_after; }
    // Takes effect from now on, as if restarted, when it was counting.
    void setAfter(std::chrono::minutes after);
    // Listening began or something was heard: the quiet starts anew.
    void restart();
    // Nothing to fall asleep from (listening stopped, or already paused).
    void cancel() {
        ++m_generation;
        m_counting = false;
    }

private:
    Scheduler& m_scheduler;
    const QObject& m_context;
    std::function<void()> m_fallAsleep;
    std::chrono::minutes m_after = defaultAfter;
    std::uint64_t m_generation = 0;
    bool m_counting = false;
};

} // namespace kelvarn::app
