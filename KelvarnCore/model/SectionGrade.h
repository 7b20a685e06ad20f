#pragma once

#include "model/Level.h"

#include <optional>
#include <string>

namespace kelvarn {

struct SectionGrade {
    std::optional<Level> level; // absent means ungraded
    std::string notes;

    friend bool operator==(const SectionGrade&, const SectionGrade&) = default;
};

} // namespace kelvarn
