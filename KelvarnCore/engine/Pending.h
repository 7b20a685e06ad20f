#pragma once

#include "model/Level.h"
#include "model/SectionID.h"
#include "support/Uuid.h"

#include <optional>
#include <variant>
#include <vector>

namespace kelvarn {

// The one open question, kept when a command lacked context and completed by what comes next.
namespace pending {

// A level was said, but no section is focused.
struct LevelNeedsSection {
    Level level;
    friend bool operator==(const LevelNeedsSection&, const LevelNeedsSection&) = default;
};
// A section (and maybe a level) was said, but no student is focused.
struct SectionNeedsStudent {
    SectionID section;
    std::optional<Level> level;
    friend bool operator==(const SectionNeedsStudent&, const SectionNeedsStudent&) = default;
};
// A name matched several students. A section or level said before the answer waits for it: it
// belongs to the student being named, never to the one focused before.
struct WhichStudent {
    std::vector<Uuid> ids;
    std::optional<SectionID> section = std::nullopt;
    std::optional<Level> level = std::nullopt;
    friend bool operator==(const WhichStudent&, const WhichStudent&) = default;
};

} // namespace pending

using Pending =
    std::variant<pending::LevelNeedsSection, pending::SectionNeedsStudent, pending::WhichStudent>;

} // namespace kelvarn
