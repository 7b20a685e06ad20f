#include "persistence/ExportDate.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace kelvarn::exportDate {

std::string localeFromEnvironment() {
    std::string_view name;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") {
        return "en_US";
    }
    return std::string(name);
}

std::string format(TimePoint date, const std::string& locale, const std::string& timeZone) {
    std::unique_ptr<icu::DateFormat> formatter(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kLong, icu::DateFormat::kShort, icu::Locale(locale.c_str())));
    if (!formatter) {
        return iso8601(date);
    }
    if (!timeZone.empty()) {
        formatter->adoptTimeZone(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone)));
    }
    const auto milliseconds =
        std::chrono::duration<double, std::milli>(date.time_since_epoch()).count();
    icu::UnicodeString formatted;
    formatter->format(milliseconds, formatted);
    std::string text;
    formatted.toUTF8String(text);
    return text;
}

} // namespace kelvarn::exportDate
