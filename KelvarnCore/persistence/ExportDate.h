#pragma once

#include "support/Time.h"

#include <string>

namespace kelvarn::exportDate {

// The user's locale for dates, as ICU names it ("de_DE"): LC_ALL, then LC_TIME, then LANG, without
// the encoding or modifier; "en_US" when none is set or the locale is C or POSIX.
std::string localeFromEnvironment();

// Long date and short time in the locale, for example "March 5, 2026 at 2:07 PM" in en_US.
// An empty time zone means the local one; otherwise an IANA name such as "Europe/Berlin".
std::string format(TimePoint date, const std::string& locale, const std::string& timeZone = {});

} // namespace kelvarn::exportDate
