#pragma once

#include "model/SavedState.h"
#include "model/UndoEntry.h"
#include "support/Result.h"

#include <string>
#include <string_view>

namespace kelvarn {

// An undo entry's encoding split around its date. Everything but the date is fixed once the
// entry is pushed (coalescing only refreshes the date), so the parts can be kept and reused
// by every later save instead of encoding whole classes again on each keystroke.
struct EncodedUndoEntry {
    std::string beforeDate;
    std::string afterDate;
};

EncodedUndoEntry encodeUndoEntryParts(const UndoEntry& entry);
void appendEncodedUndoEntry(std::string& out, const EncodedUndoEntry& parts, TimePoint date);
// A date as the saved state writes it: seconds since the reference date.
std::string encodeDate(TimePoint date);

// The saved-state file: {"session":…,"undo":[…]}, compact, entries oldest first.
std::string encodeSavedState(const SavedState& state);
// Both members are required; anything malformed makes the whole file unreadable.
Result<SavedState> decodeSavedState(std::string_view text);

} // namespace kelvarn
