#pragma once

#include "model/RosterName.h"
#include "model/StudentList.h"
#include "support/UuidSource.h"

#include <string>
#include <vector>

namespace kelvarn {

// A roster merged into the class: students still listed keep their records (matched by name,
// ignoring letter case), new names get fresh records, and students with work who are no longer
// listed are kept at the end. A listed student's surname is what the roster now says.
struct RosterMerge {
    StudentList students;
    std::vector<std::string> keptNames; // listed no more, kept for their work
};

RosterMerge mergeRoster(const StudentList& current, const std::vector<RosterName>& names,
                        const UuidSource& newID);

} // namespace kelvarn
