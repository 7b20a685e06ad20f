#include "engine/CorrectionRules.h"

#include "language/CorrectionJson.h"

namespace kelvarn {

std::optional<std::string> CorrectionRules::load(TimePoint now) {
    if (!m_storage) {
        return std::nullopt;
    }
    auto text = m_storage->read(StoreStorage::File::rules);
    if (!text) {
        // Not knowing what the file holds, it is neither moved nor replaced.
        m_saveBlocked = text.error();
        return "Couldn't read the correction rules (" + text.error() +
               "). They are left as they are and no rule will be saved over them.";
    }
    if (!text.value()) {
        return std::nullopt; // none saved yet
    }
    auto rules = decodeCorrections(*text.value());
    if (rules) {
        m_rules = std::move(rules).value();
        return std::nullopt;
    }
    const auto setAside = m_storage->setAside(StoreStorage::File::rules, now);
    if (setAside) {
        return "Couldn't read the correction rules, so they were set aside in " + setAside.value() +
               ". Nothing was deleted.";
    }
    m_saveBlocked = setAside.error();
    return "Couldn't read the correction rules, and couldn't set them aside (" + setAside.error() +
           "). They are left as they are and no rule will be saved over them: move "
           "corrections.json out of the data folder, then restart Kelvarn.";
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
    return m_storage->writeRules(encodeCorrections(m_rules));
}

} // namespace kelvarn
