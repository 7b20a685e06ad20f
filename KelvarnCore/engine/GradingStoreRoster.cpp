// Merging a roster into the class.
#include "engine/GradingStore.h"

#include "model/RosterMerge.h"

namespace kelvarn {

void GradingStore::loadRoster(const std::vector<RosterName>& names, std::size_t skippedLines) {
    m_thread.check();
    const Batch batch(m_observers);
    const RosterMerge merge = mergeRoster(m_session.students, names, m_ids);
    std::string report = "Loaded roster: added " + std::to_string(merge.added) +
                         ", already there " + std::to_string(merge.alreadyThere) + ", skipped " +
                         std::to_string(skippedLines);
    if (merge.students == m_session.students) {
        log(FeedItem::Kind::action, std::move(report));
    } else {
        commit(std::move(report), CommitOptions{},
               [&](Session& session) { session.students = merge.students; });
    }
    // Rebuilt even when nothing changed, so the names on file can be spoken at once.
    rebuildParser();
}

void GradingStore::loadRoster(const roster::Parsed& roster) {
    const Batch batch(m_observers);
    loadRoster(roster.names, roster.leftOutLines());
    if (roster.skippedLines > 0) {
        log(FeedItem::Kind::warning, roster::skippedLinesNotice(roster.skippedLines));
    }
}

} // namespace kelvarn
