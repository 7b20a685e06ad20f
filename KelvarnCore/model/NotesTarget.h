#pragma once

#include "model/SectionID.h"
#include "support/Uuid.h"

#include <functional>
#include <string>
#include <variant>

namespace kelvarn {

struct SectionNotes {
    Uuid studentID;
    SectionID section;

    friend auto operator<=>(const SectionNotes&, const SectionNotes&) = default;
};

struct OverallNotes {
    Uuid studentID;

    friend auto operator<=>(const OverallNotes&, const OverallNotes&) = default;
};

// Names one section's notes of a student, or the student's overall comments.
using NotesTarget = std::variant<SectionNotes, OverallNotes>;

Uuid studentOf(const NotesTarget& target);
// A stable textual form: equal for equal targets, different for different ones.
std::string textualForm(const NotesTarget& target);

} // namespace kelvarn

template <> struct std::hash<kelvarn::NotesTarget> {
    std::size_t operator()(const kelvarn::NotesTarget& target) const noexcept {
        return std::hash<std::string>{}(kelvarn::textualForm(target));
    }
};
