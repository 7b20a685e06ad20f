#pragma once

#include "model/UndoEntry.h"
#include "persistence/SavedStateJson.h"

#include <mutex>

namespace kelvarn {

// An undo entry as the undo stack keeps it, with its saved-state encoding made once, by whichever
// thread first needs it: every later save reuses it instead of encoding a whole class again.
// The owner thread may change the entry's date (coalescing refreshes it); nothing else changes
// after the entry is pushed, and the encoding leaves the date out, so a background writer may
// read the encoding while the owner refreshes the date.
class KeptUndoEntry final {
public:
    explicit KeptUndoEntry(UndoEntry entry) : m_entry(std::move(entry)) {}

    const UndoEntry& entry() const { return m_entry; }
    // Owner thread only.
    void setDate(TimePoint date) { m_entry.date = date; }

    // Safe from any thread.
    const EncodedUndoEntry& encoding() const;

private:
    UndoEntry m_entry;
    mutable std::once_flag m_encoded;
    mutable EncodedUndoEntry m_encoding;
};

} // namespace kelvarn
