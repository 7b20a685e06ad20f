#pragma once

#include "model/Session.h"
#include "support/Time.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelvarn {

// One undoable step: the whole session as it was before the change.
struct UndoEntry {
    Session session;
    std::string label;
    std::optional<std::string> coalesceKey;
    TimePoint date;
    std::optional<std::int64_t> serial;
    // Set only when the change filed or corrected a dictated note; never stored as false.
    std::optional<bool> isNote;

    // Entries without a serial count as serial 0 wherever serials are compared.
    std::int64_t serialOrZero() const { return serial.value_or(0); }

    friend bool operator==(const UndoEntry&, const UndoEntry&) = default;
};

} // namespace kelvarn
