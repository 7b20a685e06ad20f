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

void UndoStack::appendEncoding(std::string& out, std::size_t limit) const {
    const std::size_t first = m_entries.size() > limit ? m_entries.size() - limit : 0;
    for (std::size_t i = first; i < m_entries.size(); ++i) {
        if (i > first) {
            out += ',';
        }
        if (!m_encodings[i]) {
            m_encodings[i] = encodeUndoEntryParts(m_entries[i]);
        }
        appendEncodedUndoEntry(out, *m_encodings[i], m_entries[i].date);
    }
}

} // namespace kelvarn
