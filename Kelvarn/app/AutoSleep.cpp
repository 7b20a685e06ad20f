#include "app/AutoSleep.h"

namespace kelvarn::app {

AutoSleep::AutoSleep(Scheduler& scheduler, const QObject& context, std::function<void()> fallAsleep)
    : m_scheduler(scheduler), m_context(context), m_fallAsleep(std::move(fallAsleep)) {}

void AutoSleep::setAfter(std::chrono::minutes after) {
    m_after = after < std::chrono::minutes::zero() ? std::chrono::minutes::zero() : after;
    if (m_counting) {
        restart();
    }
}

void AutoSleep::restart() {
    const std::uint64_t generation = ++m_generation;
    m_counting = true;
    if (m_after == std::chrono::minutes::zero()) {
        return;
    }
    m_scheduler.callAfter(m_after, m_context, [this, generation] {
        if (generation == m_generation) {
            m_counting = false;
            m_fallAsleep();
        }
    });
}

} // namespace kelvarn::app
