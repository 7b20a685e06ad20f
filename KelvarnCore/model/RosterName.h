#pragma once

#include "model/StudentIdentifier.h"

#include <optional>
#include <string>

namespace kelvarn {

// One student as a roster lists them: the name as it is shown ("Lucía Fernández Ruiz"), and,
// when the roster said which words are the surname ("Fernández Ruiz, Lucía"), those words.
struct RosterName {
    std::string name;
    std::optional<std::string> surname;
    // From a grade book: its columns for the student.
    StudentIdentifiers identifiers;

    RosterName(std::string name, std::optional<std::string> surname = std::nullopt)
        : name(std::move(name)), surname(std::move(surname)) {}
    RosterName(const char* name) : name(name) {}

    friend bool operator==(const RosterName&, const RosterName&) = default;
};

} // namespace kelvarn
