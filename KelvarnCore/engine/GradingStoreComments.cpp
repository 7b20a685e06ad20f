// The comment bank and "comment NAME".
#include "engine/GradingStore.h"

#include "language/CommentNames.h"

namespace kelvarn {

namespace {

std::string curlyQuoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

std::string commentCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " comment" : " comments");
}

} // namespace

void GradingStore::commentsChanged(const CommentBank::Outcome& outcome, const std::string& done) {
    if (outcome.refused) {
        log(FeedItem::Kind::warning, *outcome.refused);
        return;
    }
    changed(StoreField::comments);
    if (!outcome.saved) {
        // It holds for this run, but must not be reported as kept.
        const std::string text = "Couldn't save the comment bank: " + outcome.saved.error();
        rememberWriteFailure(text);
        log(FeedItem::Kind::warning, text);
        return;
    }
    log(FeedItem::Kind::action, done);
}

bool GradingStore::addComment(std::string name, std::string text) {
    m_thread.check();
    const Batch batch(m_observers);
    const bool known = m_comments.find(name).has_value();
    const auto outcome = m_comments.add(name, std::move(text));
    const auto index = m_comments.find(name);
    commentsChanged(outcome, std::string(known ? "Comment changed: " : "Comment added: ") +
                                 curlyQuoted(index ? m_comments.comments()[*index].name : name));
    return !outcome.refused;
}

bool GradingStore::editComment(std::string_view name, std::string newName, std::string newText) {
    m_thread.check();
    const Batch batch(m_observers);
    const auto outcome = m_comments.edit(name, newName, std::move(newText));
    const auto index = m_comments.find(newName);
    commentsChanged(outcome, "Comment changed: " +
                                 curlyQuoted(index ? m_comments.comments()[*index].name : newName));
    return !outcome.refused;
}

bool GradingStore::removeComment(std::string_view name) {
    m_thread.check();
    const Batch batch(m_observers);
    const auto index = m_comments.find(name);
    const std::string removed = index ? m_comments.comments()[*index].name : std::string(name);
    const auto outcome = m_comments.remove(name);
    commentsChanged(outcome, "Comment removed: " + curlyQuoted(removed));
    return !outcome.refused;
}

void GradingStore::importComments(const std::vector<Comment>& comments, std::size_t skippedRows) {
    m_thread.check();
    const Batch batch(m_observers);
    CommentBank::Outcome outcome;
    const CommentBank::Merged merged = m_comments.merge(comments, outcome.saved);
    std::string done = "Imported " + commentCount(merged.added + merged.newText + merged.same) +
                       ": " + std::to_string(merged.added) + " new, " +
                       std::to_string(merged.newText) + " with a new text, " +
                       std::to_string(merged.same) + " already there";
    if (const std::size_t skipped = skippedRows + merged.refused; skipped > 0) {
        done += "; " + std::to_string(skipped) + (skipped == 1 ? " row was" : " rows were") +
                " left out (a comment needs a short name of at most " +
                std::to_string(comment_names::maxWords) + " words and a text)";
    }
    commentsChanged(outcome, done);
}

void GradingStore::run(const commands::InsertComment& c) {
    const std::vector<Comment>& bank = m_comments.comments();
    if (bank.empty()) {
        log(FeedItem::Kind::warning, "No comment filed: the comment bank is empty — add comments "
                                     "under Comments… in the panel's menu");
        return;
    }
    const std::vector<std::size_t> matches = comment_names::matching(c.name, bank);
    if (matches.empty()) {
        log(FeedItem::Kind::warning,
            "No comment called " + curlyQuoted(c.name) + " — nothing filed");
        return;
    }
    if (matches.size() > 1) {
        std::string names;
        for (std::size_t i = 0; i < matches.size(); ++i) {
            names += (i == 0                    ? ""
                      : i + 1 == matches.size() ? " or "
                                                : ", ") +
                     curlyQuoted(bank[matches[i]].name);
        }
        log(FeedItem::Kind::warning,
            curlyQuoted(c.name) + " could be " + names + " — nothing filed; say the name again");
        return;
    }
    const auto target = currentNotesTarget();
    if (!target) {
        log(FeedItem::Kind::warning,
            "Not filed (no student focused): comment " + curlyQuoted(bank[matches.front()].name));
        return;
    }
    clearPending();
    const std::size_t index = matches.front();
    const std::string name = bank[index].name;
    const AppendedNote note = appendedNote(m_session.notes(*target), bank[index].text, *target);
    commit("Comment " + curlyQuoted(name) + " → " + label(*target) + ": " + curlyQuoted(note.added),
           CommitOptions::dictation(UndoEntry::Kind::note),
           [&](Session& session) { session.setNotes(note.notes, *target); });
    if (const auto counted = m_comments.countUse(index); !counted) {
        // The comment is filed; only its count of uses is not kept.
        rememberWriteFailure("Couldn't save the comment bank: " + counted.error());
    }
    changed(StoreField::comments);
}

} // namespace kelvarn
