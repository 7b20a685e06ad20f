#pragma once

#include "engine/Pending.h"
#include "support/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelvarn {

// What is needed to fix the most recent heard line: where its effects begin, and the state
// they started from.
struct HeardUtterance {
    Uuid feedID;                   // the "heard" feed line showing it
    std::string text;              // after the correction rules: what was parsed
    std::int64_t serialBefore = 0; // undo serial when processing began
    std::optional<Pending> pendingBefore;
    bool pausedBefore = false;
    std::uint64_t changeAfter = 0; // change counter when processing ended

    friend bool operator==(const HeardUtterance&, const HeardUtterance&) = default;
};

} // namespace kelvarn
