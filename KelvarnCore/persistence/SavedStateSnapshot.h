#pragma once

#include "model/Session.h"
#include "persistence/KeptUndoEntry.h"
#include "support/Time.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// What one save writes, taken cheaply on the owner thread and immutable afterwards, so that it
// can be encoded and written on another: the session shares its student records with the
// store's, and the undo entries share their kept encodings.
struct SavedStateSnapshot {
    struct Undo {
        std::shared_ptr<const KeptUndoEntry> entry;
        TimePoint date; // taken with the snapshot: the entry's own may be refreshed meanwhile
    };

    Session session;
    std::vector<Undo> undo; // oldest first
};

// The saved-state file as consecutive pieces, to be written without first joining them (a large
// class's file runs to megabytes). They point into the snapshot's kept encodings and into
// `scratch`, which holds the session's encoding and the dates; both must outlive the pieces.
std::vector<std::string_view> savedStatePieces(const SavedStateSnapshot& snapshot,
                                               std::deque<std::string>& scratch);

} // namespace kelvarn
