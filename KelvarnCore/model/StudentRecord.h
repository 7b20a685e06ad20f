#pragma once

#include "model/SectionGrade.h"
#include "model/SectionID.h"
#include "model/StudentIdentifier.h"
#include "support/Uuid.h"

#include <map>
#include <optional>
#include <string>

namespace kelvarn {

struct StudentRecord {
    Uuid id;
    std::string name;
    // The words of the name that are the surname, when the roster said so ("Surname, Given").
    std::optional<std::string> surname;
    // A section without an entry counts as ungraded with empty notes.
    std::map<SectionID, SectionGrade> sections;
    std::string overallNotes;
    // The grade book's columns for this student, in the grade book's order; none for a student
    // from a plain list of names.
    StudentIdentifiers identifiers;

    StudentRecord() = default;
    StudentRecord(Uuid id, std::string name) : id(id), name(std::move(name)) {}

    // The entry for the section, or a fresh ungraded one; never adds an entry.
    SectionGrade grade(SectionID section) const;
    int gradedCount() const;
    bool isComplete() const { return gradedCount() == static_cast<int>(sections::allCases.size()); }
    bool isStarted() const;
    double totalPoints() const;
    double score() const;

    friend bool operator==(const StudentRecord&, const StudentRecord&) = default;
};

} // namespace kelvarn
