#include "model/RosterMerge.h"

#include "support/Unicode.h"

#include <unordered_map>

namespace kelvarn {

RosterMerge mergeRoster(const StudentList& current, const std::vector<std::string>& names,
                        const UuidSource& newID) {
    // Later records win when two share a lower-cased name, as a map assignment does.
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < current.size(); ++i) {
        byName[unicode::toLower(current[i].name)] = i;
    }

    RosterMerge merge;
    for (const std::string& name : names) {
        const auto it = byName.find(unicode::toLower(name));
        if (it != byName.end()) {
            merge.students.push_back(current[it->second]);
            byName.erase(it);
        } else {
            merge.students.push_back(StudentRecord(newID(), name));
        }
    }
    for (std::size_t i = 0; i < current.size(); ++i) {
        const auto it = byName.find(unicode::toLower(current[i].name));
        if (it != byName.end() && current[i].isStarted()) {
            merge.students.push_back(current[i]);
            merge.keptNames.push_back(current[i].name);
        }
    }
    return merge;
}

} // namespace kelvarn
