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

    RosterMerge merge{current};
    for (const RosterName& listed : names) {
        const auto [it, isNew] =
            byName.try_emplace(unicode::toLower(listed.name), merge.students.size());
        if (isNew) {
            StudentRecord record(newID(), listed.name);
            record.surname = listed.surname;
            merge.students.push_back(std::move(record));
            ++merge.added;
            continue;
        }
        ++merge.alreadyThere;
        // Only a real change copies the record: an unchanged class shares every one.
        if (merge.students[it->second].surname != listed.surname) {
            merge.students.edit(it->second).surname = listed.surname;
        }
    }
    return merge;
}

} // namespace kelvarn
