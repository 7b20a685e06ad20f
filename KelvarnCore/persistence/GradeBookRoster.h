#pragma once

#include "persistence/Roster.h"

#include <optional>
#include <string_view>

namespace kelvarn::roster {

// A learning platform's grade book exported as CSV, recognised by its header row: Canvas's
// ("Student", "ID", ... with names written "Last, First" and a "Points Possible" row that is no
// student) or Moodle's ("First name", "Last name", ...). Each student keeps every column of their
// row, with its header and in its order, as identifiers, so that grades go back in the
// platform's own layout. Two rows with the same name are two students when their IDs differ.
// Nothing when the text is not such a grade book (a plain list of names).
std::optional<Parsed> parseGradeBook(std::string_view text);

} // namespace kelvarn::roster
