#pragma once

#include "model/Session.h"
#include "model/StudentList.h"
#include "support/Time.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::textExporter {

// Width of the rules and the wrapping limit, in user-perceived characters.
inline constexpr std::size_t width = 78;

// The readable report: a heading with the exam, the export date and a summary, then one block per
// student in order of surname. Lines end with LF. The date is shown in the given locale (an ICU
// name such as "de_DE"; the caller decides where it comes from) and time zone (by default the
// local one).
std::string text(const Session& session, TimePoint date, const std::string& locale,
                 const std::string& timeZone = {});

// A stable sort by surname (everything after the first word), then by the first word; both
// compared case- and diacritic-insensitively, code point by code point.
StudentList sortedByLastName(const StudentList& students);

// The text's paragraphs wrapped to `width`, each line starting with the indent. Blank paragraphs
// disappear; a word longer than the width stands alone on its line, unbroken.
std::vector<std::string> wrap(std::string_view text, std::string_view indent);

} // namespace kelvarn::textExporter
