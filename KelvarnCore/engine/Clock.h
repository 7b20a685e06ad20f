#pragma once

#include "support/Time.h"

#include <functional>

namespace kelvarn {

// Injected wherever "now" matters, so tests of time-dependent rules never sleep.
using Clock = std::function<TimePoint()>;

inline Clock systemClock() {
    return [] { return std::chrono::system_clock::now(); };
}

} // namespace kelvarn
