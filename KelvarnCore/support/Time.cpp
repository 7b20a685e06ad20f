#include "support/Time.h"

#include <cstdio>
#include <ctime>

namespace kelvarn {

namespace {

// 2001-01-01T00:00:00Z. Arithmetic stays relative to it so fractions survive the round trip.
const TimePoint referenceDate = std::chrono::system_clock::from_time_t(978307200);

} // namespace

double secondsSinceReferenceDate(TimePoint time) {
    return std::chrono::duration<double>(time - referenceDate).count();
}

TimePoint fromSecondsSinceReferenceDate(double seconds) {
    return referenceDate +
           std::chrono::round<TimePoint::duration>(std::chrono::duration<double>(seconds));
}

std::string iso8601(TimePoint time) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

} // namespace kelvarn
