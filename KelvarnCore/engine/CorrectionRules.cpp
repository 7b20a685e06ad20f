#include "engine/CorrectionRules.h"

#include "engine/SideFile.h"
#include "language/CorrectionJson.h"

namespace kelvarn {

std::optional<std::string> CorrectionRules::load(TimePoint now) {
    if (!m_storage) {
        return std::nullopt;
    }
    return loadSideFile(
        *m_storage, StoreStorage::File::rules, now,
        {"the correction rules", "rule", "corrections.json"},
        [&](std::string_view text) {
            auto rules = decodeCorrections(text);
            if (rules) {
                m_rules = std::move(rules).value();
            }
            return bool(rules);
        },
        m_saveBlocked);
}

Result<void> CorrectionRules::add(const Correction& rule) {
    std::erase_if(m_rules, [&](const Correction& old) { return old.heard == rule.heard; });
    m_rules.push_back(rule);
    return save();
}

bool CorrectionRules::remove(const Uuid& id, Result<void>& saved) {
    const bool removed =
        std::erase_if(m_rules, [&](const Correction& rule) { return rule.id == id; }) > 0;
    saved = removed ? save() : Result<void>();
    return removed;
}

Result<void> CorrectionRules::save() {
    if (!m_storage) {
        return {};
    }
    if (m_saveBlocked) {
        return Error{"corrections.json could not be read, so it is kept as it is"};
    }
    return m_storage->writeFile(StoreStorage::File::rules, encodeCorrections(m_rules));
}

} // namespace kelvarn
