// The user's correction rules and the recogniser's vocabulary.
#include "engine/GradingStore.h"

#include "language/CorrectionJson.h"
#include "persistence/FileIO.h"

#include <algorithm>

namespace kelvarn {

void GradingStore::addCorrection(const Correction& rule) {
    if (rule.heard.empty() || rule.replacement.empty()) {
        return;
    }
    // A word is never rewritten two ways: the new rule replaces any for the same words.
    std::erase_if(m_corrections, [&](const Correction& old) { return old.heard == rule.heard; });
    m_corrections.push_back(rule);
    notify(StoreField::corrections);
    saveCorrections();
    log(FeedItem::Kind::action, "Remembered: “" + rule.heard + "” → “" + rule.replacement + "”");
}

void GradingStore::removeCorrection(const Uuid& id) {
    if (std::erase_if(m_corrections, [&](const Correction& rule) { return rule.id == id; }) > 0) {
        notify(StoreField::corrections);
    }
    saveCorrections();
}

std::vector<std::string> GradingStore::recognizerVocabulary() const {
    std::vector<std::string> words = m_parser.vocabulary();
    for (const Correction& rule : m_corrections) {
        words.push_back(rule.replacement);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

void GradingStore::loadCorrections() {
    if (!m_correctionsURL) {
        return;
    }
    const auto text = readWholeFile(*m_correctionsURL);
    if (!text) {
        return;
    }
    auto rules = decodeCorrections(text.value());
    if (rules) {
        m_corrections = std::move(rules).value();
    }
}

void GradingStore::saveCorrections() {
    if (m_correctionsURL) {
        // A failure is not reported: the rules in memory still apply for this run.
        (void)writeFileAtomically(*m_correctionsURL, encodeCorrections(m_corrections));
    }
}

void GradingStore::rebuildParser() {
    std::vector<RosterEntry> roster;
    roster.reserve(m_session.students.size());
    for (const StudentRecord& record : m_session.students) {
        roster.push_back(RosterEntry{record.id, record.name});
    }
    m_parser = CommandParser(roster);
    notify(StoreField::parser);
}

} // namespace kelvarn
