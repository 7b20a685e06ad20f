#pragma once

#include "support/Uuid.h"

#include <functional>

namespace kelvarn {

// Injected wherever new identifiers are made, so tests can predict them.
using UuidSource = std::function<Uuid()>;

inline UuidSource randomUuids() {
    return [] { return Uuid::generate(); };
}

} // namespace kelvarn
