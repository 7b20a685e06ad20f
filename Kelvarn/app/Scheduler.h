#pragma once

#include <chrono>
#include <functional>

namespace kelvarn::app {

// Calls something later on the main thread. Injected so that tests of timed behaviour (banners)
// advance a fake instead of sleeping.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void callAfter(std::chrono::milliseconds delay, std::function<void()> call) = 0;
};

// The real one: a single-shot timer on the main thread's event loop.
class QtScheduler final : public Scheduler {
public:
    void callAfter(std::chrono::milliseconds delay, std::function<void()> call) override;
};

} // namespace kelvarn::app
