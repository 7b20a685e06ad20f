#pragma once

#include "model/SavedState.h"
#include "persistence/SavedStateSnapshot.h"
#include "support/Result.h"

#include <string>
#include <string_view>

namespace kelvarn {

// What turns one saved state into the next, as a journal records it: the student records that
// changed (or the roster's new order with its new and changed records), the focus, and what
// happened to the saved undo history (entries dropped at its old end, undone at its new end,
// dates refreshed, steps added). An added step restores the state before the difference, so it
// carries no class of its own unless it restores some other one.
struct StateDifference {
    std::string text; // empty when the states are the same
    // Whether an undo step was added or removed, not only the newest one's date refreshed, as
    // typing on into one step does.
    bool changesSteps = false;
};

StateDifference encodeStateDifference(const SavedStateSnapshot& before,
                                      const SavedStateSnapshot& after);

// Applies a difference on top of the state it was made from. A difference that does not fit the
// state, or is malformed, is an error and leaves the state as it was.
Result<void> applyStateDifference(std::string_view text, SavedState& state);

} // namespace kelvarn
