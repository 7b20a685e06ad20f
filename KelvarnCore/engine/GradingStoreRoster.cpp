// Merging a roster into the class.
#include "engine/GradingStore.h"

#include "support/Unicode.h"

#include <unordered_map>

namespace kelvarn {

void GradingStore::loadRoster(const std::vector<std::string>& names) {
    // Later records win when two share a lower-cased name, as a map assignment does.
    std::unordered_map<std::string, std::size_t> byName;
    const StudentList& current = m_session.students;
    for (std::size_t i = 0; i < current.size(); ++i) {
        byName[unicode::toLower(current[i].name)] = i;
    }

    StudentList merged;
    for (const std::string& name : names) {
        const auto it = byName.find(unicode::toLower(name));
        if (it != byName.end()) {
            merged.push_back(current[it->second]);
            byName.erase(it);
        } else {
            merged.push_back(StudentRecord(Uuid::generate(), name));
        }
    }

    std::vector<std::string> keptNames;
    for (std::size_t i = 0; i < current.size(); ++i) {
        const auto it = byName.find(unicode::toLower(current[i].name));
        if (it != byName.end() && current[i].isStarted()) {
            merged.push_back(current[i]);
            keptNames.push_back(current[i].name);
        }
    }

    commit("Loaded roster (" + std::to_string(names.size()) + " students)", std::nullopt,
           FeedItem::Kind::action, false, true, [&](Session& session) {
               session.students = merged;
               if (!session.index(session.focus.studentID)) {
                   session.focus = Focus{};
               }
           });
    // Rebuilt even when nothing changed, so the names on file can be spoken at once.
    rebuildParser();

    if (!keptNames.empty()) {
        std::string list;
        for (const auto& name : keptNames) {
            list += (list.empty() ? "" : ", ") + name;
        }
        log(FeedItem::Kind::warning, "Kept " + std::to_string(keptNames.size()) +
                                         " graded student(s) not in the new roster: " + list);
    }
}

} // namespace kelvarn
