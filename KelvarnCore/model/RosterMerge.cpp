#include "model/RosterMerge.h"

#include "support/Unicode.h"

#include <unordered_map>

namespace kelvarn {

RosterMerge mergeRoster(const StudentList& current, const std::vector<RosterName>& names,
                        const UuidSource& newID) {
    // Later records win when two share a lower-cased name, as a map assignment does.
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < current.size(); ++i) {
        byName[unicode::toLower(current[i].name)] = i;
    }

    RosterMerge merge;
    for (const RosterName& listed : names) {
        const auto it = byName.find(unicode::toLower(listed.name));
        StudentRecord record =
            it != byName.end() ? current[it->second] : StudentRecord(newID(), listed.name);
        if (it != byName.end()) {
            byName.erase(it);
        }
        record.surname = listed.surname;
        merge.students.push_back(std::move(record));
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
