// Roster files of arbitrary bytes: names come out trimmed, UTF-8 and unique regardless of case.
#include "FuzzChecks.h"
#include "persistence/Roster.h"
#include "support/Unicode.h"

#include <set>

using namespace kelvarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<RosterName> names =
        roster::parse(std::string_view(reinterpret_cast<const char*>(data), size)).names;
    std::set<std::string> seen;
    std::set<std::string> rows;
    for (const RosterName& entry : names) {
        const std::string& name = entry.name;
        const std::optional<std::string>& surname = entry.surname;
        if (surname) {
            fuzz::require(!surname->empty() && name.ends_with(" " + *surname),
                          "a surname ends its name");
        }
        fuzz::requireValidUtf8(name, "names are UTF-8");
        fuzz::require(!name.empty(), "no empty names");
        fuzz::require(name.front() != ' ' && name.back() != ' ', "names are trimmed");
        fuzz::require(name.find("  ") == std::string::npos, "runs of spaces are collapsed");
        // A grade book's rows are told apart by their columns: two people may share a name.
        if (entry.identifiers.empty()) {
            fuzz::require(seen.insert(unicode::toLower(name)).second, "names are unique");
        } else {
            std::string row;
            for (const StudentIdentifier& identifier : entry.identifiers) {
                row += identifier.column + '\x1F' + identifier.value + '\x1E';
            }
            fuzz::require(rows.insert(row).second, "grade-book rows are unique");
        }
        fuzz::require(unicode::toNFC(name) == name, "names are composed");
        fuzz::require(unicode::characterCount(name) <= roster::maxNameCharacters,
                      "names are short");
    }
    return 0;
}
