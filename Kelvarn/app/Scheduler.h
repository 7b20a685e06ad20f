#pragma once

#include <chrono>
#include <functional>

class QObject;

namespace kelvarn::app {

// Calls something later on the main thread, unless `context` is gone by then: a call that
// outlives what it touches must never run. Injected so that tests of timed behaviour (banners)
// advance a fake instead of sleeping.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void callAfter(std::chrono::milliseconds delay, const QObject& context,
                           std::function<void()> call) = 0;
};

// The real one: a single-shot timer on the main thread's event loop.
class QtScheduler final : public Scheduler {
public:
    void callAfter(std::chrono::milliseconds delay, const QObject& context,
                   std::function<void()> call) override;
};

} // namespace kelvarn::app
