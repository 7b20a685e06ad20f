// The user's correction rules, the command parser and the recogniser's vocabulary.
#include "engine/GradingStore.h"

#include "language/ClassOrderPhrases.h"
#include "language/CommentNames.h"

#include <algorithm>

namespace kelvarn {

void GradingStore::addCorrection(const Correction& rule) {
    m_thread.check();
    if (rule.heard.empty() || rule.replacement.empty()) {
        return;
    }
    const Batch batch(m_observers);
    const auto saved = m_corrections.add(rule);
    changed(StoreField::corrections);
    if (!saved) {
        // It applies for this run, but must not be reported as remembered.
        const std::string text = "Couldn't save the correction rules: " + saved.error();
        rememberWriteFailure(text);
        log(FeedItem::Kind::warning, text);
        return;
    }
    log(FeedItem::Kind::action, "Remembered: “" + rule.heard + "” → “" + rule.replacement + "”");
}

bool GradingStore::removeCorrection(const Uuid& id) {
    m_thread.check();
    const Batch batch(m_observers);
    Result<void> saved;
    if (!m_corrections.remove(id, saved)) {
        return false;
    }
    changed(StoreField::corrections);
    if (!saved) {
        const std::string text = "Couldn't save the correction rules: " + saved.error();
        rememberWriteFailure(text);
        log(FeedItem::Kind::warning, text);
    }
    return true;
}

std::vector<std::string> GradingStore::recognizerVocabulary() const {
    std::vector<std::string> words = m_parser.vocabulary();
    for (std::string& phrase : class_order::vocabulary(m_session.students.size())) {
        words.push_back(std::move(phrase));
    }
    for (const Correction& rule : m_corrections.rules()) {
        words.push_back(rule.replacement);
    }
    if (!m_comments.comments().empty()) {
        words.emplace_back("comment");
    }
    for (const Comment& comment : m_comments.comments()) {
        words.push_back("comment " + comment_names::key(comment.name));
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

void GradingStore::rebuildParser() {
    std::vector<RosterEntry> roster;
    roster.reserve(m_session.students.size());
    for (const StudentRecord& record : m_session.students) {
        roster.push_back(RosterEntry{record.id, record.name, record.surname});
    }
    m_parser = CommandParser(roster);
    changed(StoreField::parser);
}

} // namespace kelvarn
