#pragma once

#include <string>
#include <vector>

namespace kelvarn {

// One column of a learning platform's grade book kept with the student it lists ("ID", "SIS
// User ID", "Section"...), so that grades go back in the same columns and rows are matched by
// ID, never by name.
struct StudentIdentifier {
    std::string column;
    std::string value;
    friend bool operator==(const StudentIdentifier&, const StudentIdentifier&) = default;
};

using StudentIdentifiers = std::vector<StudentIdentifier>;

// The columns that name one student and no other, whichever platform wrote them.
bool isKeyColumn(const std::string& column);

// "column\x1Fvalue" for each key column with a value: what a grade book matches rows by.
std::vector<std::string> identifierKeys(const StudentIdentifiers& identifiers);

} // namespace kelvarn
