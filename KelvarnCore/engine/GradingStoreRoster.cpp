// Merging a roster into the class.
#include "engine/GradingStore.h"

#include "model/RosterMerge.h"

namespace kelvarn {

void GradingStore::loadRoster(const std::vector<RosterName>& names) {
    m_thread.check();
    const Batch batch(m_observers);
    const RosterMerge merge = mergeRoster(m_session.students, names, m_ids);
    commit("Loaded roster (" + std::to_string(names.size()) + " students)", CommitOptions{},
           [&](Session& session) {
               session.students = merge.students;
               if (!session.index(session.focus.studentID)) {
                   session.focus = Focus{};
               }
           });
    // Rebuilt even when nothing changed, so the names on file can be spoken at once.
    rebuildParser();

    if (!merge.keptNames.empty()) {
        std::string list;
        for (const auto& name : merge.keptNames) {
            list += (list.empty() ? "" : ", ") + name;
        }
        log(FeedItem::Kind::warning, "Kept " + std::to_string(merge.keptNames.size()) +
                                         " graded student(s) not in the new roster: " + list);
    }
}

} // namespace kelvarn
