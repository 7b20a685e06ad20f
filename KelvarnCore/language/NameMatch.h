#pragma once

#include "support/Uuid.h"

#include <vector>

namespace kelvarn {

// The students a span of heard words names, in roster order, and how well the best one fits
// (0 to 1; 0 with no ids).
struct NameMatch {
    std::vector<Uuid> ids;
    double score = 0;

    friend bool operator==(const NameMatch&, const NameMatch&) = default;
};

} // namespace kelvarn
