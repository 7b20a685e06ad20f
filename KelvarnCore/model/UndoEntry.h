#pragma once

#include "model/Session.h"
#include "support/Time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

// How the label of a step that corrected a dictated note begins.
inline constexpr std::string_view correctedNoteLabelPrefix = "✎ Corrected note → ";

// One undoable step: the whole session as it was before the change.
struct UndoEntry {
    // What the step did, as far as a later "correction" needs to know: a dictated note, a
    // correction of one, or anything else.
    enum class Kind { other, note, correction };

    Session session;
    std::string label;
    std::optional<std::string> coalesceKey;
    TimePoint date;
    std::optional<std::int64_t> serial;
    Kind kind = Kind::other;

    // Entries without a serial count as serial 0 wherever serials are compared.
    std::int64_t serialOrZero() const { return serial.value_or(0); }
    bool isNote() const { return kind != Kind::other; }

    friend bool operator==(const UndoEntry&, const UndoEntry&) = default;
};

} // namespace kelvarn
