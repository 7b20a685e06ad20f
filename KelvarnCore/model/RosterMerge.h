#pragma once

#include "model/StudentList.h"
#include "support/UuidSource.h"

#include <string>
#include <vector>

namespace kelvarn {

// A roster merged into the class: students still listed keep their records (matched by name,
// ignoring letter case), new names get fresh records, and students with work who are no longer
// listed are kept at the end.
struct RosterMerge {
    StudentList students;
    std::vector<std::string> keptNames; // listed no more, kept for their work
};

RosterMerge mergeRoster(const StudentList& current, const std::vector<std::string>& names,
                        const UuidSource& newID);

} // namespace kelvarn
