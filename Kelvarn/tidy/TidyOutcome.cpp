#include "tidy/TidyOutcome.h"

#include <charconv>

namespace kelvarn::tidy {

namespace {

// "2 minutes", "1 minute", "90 seconds", "0.3 seconds": whole minutes as minutes.
std::string durationText(std::chrono::milliseconds duration) {
    using namespace std::chrono_literals;
    if (duration >= 1min && duration % 1min == 0ms) {
        const auto minutes = duration / 1min;
        return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    }
    // The shortest exact form, with a full stop in every locale.
    char seconds[32];
    const auto written = std::to_chars(seconds, seconds + sizeof seconds,
                                       static_cast<double>(duration.count()) / 1000.0);
    return std::string(seconds, written.ptr) + (duration == 1s ? " second" : " seconds");
}

} // namespace

std::string cancelledMessage(std::string_view name) {
    return "Tidying notes for " + std::string(name) + " cancelled — nothing changed.";
}

std::string timedOutMessage(std::string_view name, std::chrono::milliseconds limit) {
    return "Claude didn't answer within " + durationText(limit) + ": tidying notes for " +
           std::string(name) + " stopped — nothing changed.";
}

} // namespace kelvarn::tidy
