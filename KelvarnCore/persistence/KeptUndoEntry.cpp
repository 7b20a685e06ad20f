#include "persistence/KeptUndoEntry.h"

namespace kelvarn {

const EncodedUndoEntry& KeptUndoEntry::encoding() const {
    std::call_once(m_encoded, [this] { m_encoding = encodeUndoEntryParts(m_entry); });
    return m_encoding;
}

} // namespace kelvarn
