#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

using TimePoint = std::chrono::system_clock::time_point;

// Saved timestamps count seconds (with fraction) from 2001-01-01T00:00:00Z.
double secondsSinceReferenceDate(TimePoint time);
TimePoint fromSecondsSinceReferenceDate(double seconds);

// ISO 8601 in UTC to the second, for example 2026-03-05T14:07:09Z.
std::string iso8601(TimePoint time);
// Exactly that form read back; nothing for anything else.
std::optional<TimePoint> fromIso8601(std::string_view text);

} // namespace kelvarn
