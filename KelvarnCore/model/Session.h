#pragma once

#include "model/Focus.h"
#include "model/NotesTarget.h"
#include "model/StudentList.h"

#include <optional>
#include <string>

namespace kelvarn {

// The class in roster order plus what the user is working on.
struct Session {
    StudentList students;
    Focus focus;

    std::optional<std::size_t> index(const std::optional<Uuid>& id) const;
    std::optional<StudentRecord> focusedStudent() const;
    // Empty when the student or the section entry does not exist; never adds an entry.
    std::string notes(const NotesTarget& target) const;
    // Creates a missing section entry (ungraded); changes nothing for an unknown student.
    void setNotes(std::string text, const NotesTarget& target);

    friend bool operator==(const Session&, const Session&) = default;
};

} // namespace kelvarn
