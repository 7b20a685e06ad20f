#pragma once

#include "language/Correction.h"
#include "persistence/StoreStorage.h"
#include "support/Result.h"
#include "support/Time.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvarn {

// The user's misheard-to-replacement rules, oldest first, and their file. Owned by the store's
// thread.
class CorrectionRules final {
public:
    // Without storage the rules live only in memory.
    explicit CorrectionRules(StoreStorage* storage) : m_storage(storage) {}

    const std::vector<Correction>& rules() const { return m_rules; }

    // Reads the rules file. An unreadable file is set aside, or, when it cannot be, kept and
    // never saved over; either way the returned warning says what happened.
    std::optional<std::string> load(TimePoint now);

    // A word is never rewritten two ways: the new rule replaces any for the same words. The
    // rule applies at once; an error says it could not be saved for later runs.
    Result<void> add(const Correction& rule);
    // False when no rule has this id.
    bool remove(const Uuid& id, Result<void>& saved);

private:
    Result<void> save();

    StoreStorage* m_storage;
    std::vector<Correction> m_rules;
    // Set while an unreadable rules file is left in place: saving would destroy the user's rules.
    std::optional<std::string> m_saveBlocked;
};

} // namespace kelvarn
