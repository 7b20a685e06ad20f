#pragma once

#include "model/Session.h"
#include "model/UndoEntry.h"

#include <vector>

namespace kelvarn {

// What a store starts from: the session and its undo history, oldest entry first.
struct SavedState {
    Session session;
    std::vector<UndoEntry> undo;

    friend bool operator==(const SavedState&, const SavedState&) = default;
};

} // namespace kelvarn
