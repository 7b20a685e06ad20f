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

std::optional<TimePoint> fromIso8601(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SSZ
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) {
            return std::nullopt;
        }
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    using namespace std::chrono;
    const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                              day{static_cast<unsigned>(number(8, 2))}};
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    if (!date.ok() || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    return TimePoint(sys_days(date) + hours(hour) + minutes(minute) + seconds(second));
}

} // namespace kelvarn
