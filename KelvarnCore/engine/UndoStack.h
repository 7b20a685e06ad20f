#pragma once

#include "model/UndoEntry.h"
#include "persistence/SavedStateJson.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// The undo history, oldest first, capped in size. It also keeps each entry's saved-state
// encoding once made, since an entry never changes after it is pushed except for its date.
class UndoStack final {
public:
    explicit UndoStack(std::size_t capacity) : m_capacity(capacity) {}

    const std::deque<UndoEntry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    const UndoEntry& newest() const { return m_entries.back(); }

    // Appends, dropping the oldest entries beyond the capacity.
    void push(UndoEntry entry);
    UndoEntry popNewest();
    void setNewestDate(TimePoint date) { m_entries.back().date = date; }

    // The newest `limit` entries, comma-separated, as they go into the saved state: pieces that
    // point into the kept encodings, with the dates written into `dates`.
    void appendEncoding(std::vector<std::string_view>& pieces, std::deque<std::string>& dates,
                        std::size_t limit) const;

private:
    std::size_t m_capacity;
    std::deque<UndoEntry> m_entries;
    mutable std::deque<std::optional<EncodedUndoEntry>> m_encodings;
};

} // namespace kelvarn
