#include "engine/UndoStack.h"

namespace kelvarn {

void UndoStack::push(UndoEntry entry) {
    m_entries.push_back(std::move(entry));
    m_encodings.emplace_back();
    while (m_entries.size() > m_capacity) {
        m_entries.pop_front();
        m_encodings.pop_front();
    }
}

UndoEntry UndoStack::popNewest() {
    UndoEntry entry = std::move(m_entries.back());
    m_entries.pop_back();
    m_encodings.pop_back();
    return entry;
}

void UndoStack::appendEncoding(std::vector<std::string_view>& pieces,
                               std::deque<std::string>& dates, std::size_t limit) const {
    const std::size_t first = m_entries.size() > limit ? m_entries.size() - limit : 0;
    for (std::size_t i = first; i < m_entries.size(); ++i) {
        if (i > first) {
            pieces.emplace_back(",");
        }
        if (!m_encodings[i]) {
            m_encodings[i] = encodeUndoEntryParts(m_entries[i]);
        }
        // A deque keeps earlier elements in place as it grows, so the views stay valid.
        dates.push_back(encodeDate(m_entries[i].date));
        pieces.emplace_back(m_encodings[i]->beforeDate);
        pieces.emplace_back(dates.back());
        pieces.emplace_back(m_encodings[i]->afterDate);
    }
}

} // namespace kelvarn
