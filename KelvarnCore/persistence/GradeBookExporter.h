#pragma once

#include "model/Session.h"

#include <string>
#include <string_view>

namespace kelvarn::gradeBookExporter {

inline constexpr std::string_view defaultColumn = "Kelvarn Score";

// The grades as a learning platform takes them back: the grade book's columns as imported, in
// their order (the first student's first, then any others), then `column` with each student's
// points out of 100 to two decimals. A student with no level yet has an empty score, since a
// zero would be uploaded as a grade; a student from a plain list of names has empty columns. A
// grade book column already titled `column` holds the score instead of a second one. Rows end
// with CR LF and every field is escaped as the CSV export does; a UTF-8 byte-order mark first
// when asked, for spreadsheets that read accents only with one.
std::string csv(const Session& session, std::string_view column, bool byteOrderMark = false);

} // namespace kelvarn::gradeBookExporter
