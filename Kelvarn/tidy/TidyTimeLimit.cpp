#include "tidy/TidyTimeLimit.h"

#include "settings/Preferences.h"

#include <cmath>

namespace kelvarn::tidy {

std::chrono::milliseconds timeLimit(const Preferences& preferences) {
    const std::optional<QString> stored = preferences.string(QLatin1String(timeLimitKey));
    if (!stored) {
        return defaultTimeLimit;
    }
    bool isNumber = false;
    const double seconds = stored->trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(seconds)) {
        return defaultTimeLimit;
    }
    const std::chrono::milliseconds limit(std::llround(seconds * 1000));
    if (limit < std::chrono::milliseconds(1) || limit > std::chrono::hours(24)) {
        return defaultTimeLimit;
    }
    return limit;
}

} // namespace kelvarn::tidy
