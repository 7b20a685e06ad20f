#pragma once

#include "model/SavedState.h"
#include "persistence/StateFingerprint.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// What reading a journal on top of its session.json found.
struct JournalReplay {
    enum class Outcome {
        // Every change after the file was applied (there may have been none).
        complete,
        // The last frame was cut short by a crash; the changes before it were applied.
        tornTail,
        // Something unreadable came before the end: the changes before it were applied, and the
        // journal should be kept aside for whoever wants to look at the rest.
        damaged,
        // The journal continues some other session.json (an older one, or one another program
        // wrote since): none of it applies.
        stale,
    };

    Outcome outcome = Outcome::complete;
    struct Applied {
        std::int64_t serial = 0;
        std::string_view payload; // the frame's, pointing into the journal's text
    };
    // The changes applied, in order.
    std::vector<Applied> applied;
    // The serial the next change gets, to go on from the ones applied.
    std::int64_t nextSerial = 1;
    // Why the reading stopped early, for a damaged journal.
    std::string problem;
};

// Applies the changes that follow the session.json with the fingerprint base (none: there was no
// file) to state, which holds what that file holds. A change is applied once at most and only
// after every change before it, so state is always that file plus some first changes of the
// journal. Never fails; damage shows in the outcome.
JournalReplay replayJournal(std::string_view journal, const std::optional<StateFingerprint>& base,
                            SavedState& state);

} // namespace kelvarn
