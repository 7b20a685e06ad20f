#pragma once

#include <chrono>

namespace kelvarn {
class Preferences;
}

namespace kelvarn::tidy {

// How long the tool may take over one tidy before it is stopped. Kept in the preferences as
// seconds, fractions allowed, for whoever needs another limit.
inline constexpr auto timeLimitKey = "tidyTimeLimitSeconds";
inline constexpr std::chrono::milliseconds defaultTimeLimit = std::chrono::minutes(2);

// The stored limit; the default when none is stored or the stored one is not a number of seconds
// from a millisecond to a day (a timer holds no more than a few weeks).
std::chrono::milliseconds timeLimit(const Preferences& preferences);

} // namespace kelvarn::tidy
