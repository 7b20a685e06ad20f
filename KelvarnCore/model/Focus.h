#pragma once

#include "model/SectionID.h"
#include "support/Uuid.h"

#include <optional>

namespace kelvarn {

// Nothing, one student, or one section of one student.
struct Focus {
    std::optional<Uuid> studentID;
    std::optional<SectionID> section;

    friend bool operator==(const Focus&, const Focus&) = default;
};

} // namespace kelvarn
