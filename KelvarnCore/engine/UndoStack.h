#pragma once

#include "model/UndoEntry.h"
#include "persistence/KeptUndoEntry.h"
#include "persistence/SavedStateSnapshot.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace kelvarn {

// The undo history, oldest first, capped in size. Entries are shared with the snapshots handed
// to a saver, together with their kept encodings. Owned by the store's thread.
class UndoStack final {
public:
    explicit UndoStack(std::size_t capacity) : m_capacity(capacity) {}

    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    const UndoEntry& operator[](std::size_t index) const { return m_entries[index]->entry(); }
    const UndoEntry& front() const { return m_entries.front()->entry(); }
    const UndoEntry& back() const { return m_entries.back()->entry(); }

    // Appends, dropping the oldest entries beyond the capacity.
    void push(UndoEntry entry);
    UndoEntry popNewest();
    void setNewestDate(TimePoint date) { m_entries.back()->setDate(date); }

    // The newest `limit` entries, oldest first, as a saved state holds them.
    std::vector<SavedStateSnapshot::Undo> newest(std::size_t limit) const;

private:
    std::size_t m_capacity;
    std::deque<std::shared_ptr<KeptUndoEntry>> m_entries;
};

} // namespace kelvarn
