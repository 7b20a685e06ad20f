#pragma once

#include "model/RosterName.h"
#include "model/StudentList.h"
#include "support/UuidSource.h"

#include <cstddef>
#include <vector>

namespace kelvarn {

// A roster merged into the class: every student stays, in order, graded or not. A listed name
// that is already in the class (ignoring letter case) is that student, whose surname becomes what
// the roster now says; a new name joins at the end with a fresh record.
struct RosterMerge {
    StudentList students;
    std::size_t added = 0;
    std::size_t alreadyThere = 0;
};

RosterMerge mergeRoster(const StudentList& current, const std::vector<RosterName>& names,
                        const UuidSource& newID);

} // namespace kelvarn
