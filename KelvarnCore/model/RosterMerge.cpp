#include "model/RosterMerge.h"

#include "support/Unicode.h"

#include <optional>
#include <unordered_map>

namespace kelvarn {

RosterMerge mergeRoster(const StudentList& current, const std::vector<RosterName>& names,
                        const UuidSource& newID) {
    // Later records win when two share a lower-cased name, as a map assignment does.
    std::unordered_map<std::string, std::size_t> byName;
    std::unordered_map<std::string, std::size_t> byKey;
    for (std::size_t i = 0; i < current.size(); ++i) {
        byName[unicode::toLower(current[i].name)] = i;
        for (std::string& key : identifierKeys(current[i].identifiers)) {
            byKey[std::move(key)] = i;
        }
    }

    RosterMerge merge{current};
    for (const RosterName& listed : names) {
        // By ID first: a grade book's student keeps their grades when their name changed.
        std::optional<std::size_t> known;
        for (const std::string& key : identifierKeys(listed.identifiers)) {
            if (const auto found = byKey.find(key); found != byKey.end()) {
                known = found->second;
                break;
            }
        }
        const bool byID = known.has_value();
        if (!known) {
            auto [it, isNew] =
                byName.try_emplace(unicode::toLower(listed.name), merge.students.size());
            // Two people can share a name: IDs that differ tell them apart.
            if (!isNew && !identifierKeys(listed.identifiers).empty() &&
                !identifierKeys(merge.students[it->second].identifiers).empty()) {
                it->second = merge.students.size();
                isNew = true;
            }
            if (isNew) {
                StudentRecord record(newID(), listed.name);
                record.surname = listed.surname;
                record.identifiers = listed.identifiers;
                for (std::string& key : identifierKeys(listed.identifiers)) {
                    byKey.try_emplace(std::move(key), merge.students.size());
                }
                merge.students.push_back(std::move(record));
                ++merge.added;
                continue;
            }
            known = it->second;
        }
        ++merge.alreadyThere;
        // Only a real change copies the record: an unchanged class shares every one. A name
        // matched keeps its spelling; one matched by ID takes the grade book's new name. A plain
        // list of names leaves a grade book's columns as they were.
        const StudentRecord& record = merge.students[*known];
        const bool renamed = byID && unicode::toLower(record.name) != unicode::toLower(listed.name);
        const bool newColumns =
            !listed.identifiers.empty() && record.identifiers != listed.identifiers;
        if (record.surname != listed.surname || renamed || newColumns) {
            StudentRecord& edited = merge.students.edit(*known);
            edited.surname = listed.surname;
            if (renamed) {
                edited.name = listed.name;
                byName[unicode::toLower(listed.name)] = *known;
            }
            if (newColumns) {
                edited.identifiers = listed.identifiers;
            }
        }
    }
    return merge;
}

} // namespace kelvarn
