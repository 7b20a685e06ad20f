#include "engine/UndoStack.h"

namespace kelvarn {

void UndoStack::push(UndoEntry entry) {
    m_entries.push_back(std::make_shared<KeptUndoEntry>(std::move(entry)));
    while (m_entries.size() > m_capacity) {
        m_entries.pop_front();
    }
}

UndoEntry UndoStack::popNewest() {
    // A saver may still hold the entry, so it is copied rather than moved out.
    UndoEntry entry = m_entries.back()->entry();
    m_entries.pop_back();
    return entry;
}

std::vector<SavedStateSnapshot::Undo> UndoStack::newest(std::size_t limit) const {
    const std::size_t first = m_entries.size() > limit ? m_entries.size() - limit : 0;
    std::vector<SavedStateSnapshot::Undo> undo;
    undo.reserve(m_entries.size() - first);
    for (std::size_t i = first; i < m_entries.size(); ++i) {
        undo.push_back({m_entries[i], m_entries[i]->entry().date});
    }
    return undo;
}

} // namespace kelvarn
