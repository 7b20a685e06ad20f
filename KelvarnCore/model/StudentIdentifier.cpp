#include "model/StudentIdentifier.h"

#include <array>
#include <string_view>

namespace kelvarn {

bool isKeyColumn(const std::string& column) {
    // Canvas's user and SIS ids, Moodle's ID number and e-mail address.
    static constexpr std::array<std::string_view, 5> keys{"ID", "SIS User ID", "SIS Login ID",
                                                          "ID number", "Email address"};
    for (const std::string_view key : keys) {
        if (column == key) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> identifierKeys(const StudentIdentifiers& identifiers) {
    std::vector<std::string> keys;
    for (const StudentIdentifier& identifier : identifiers) {
        if (isKeyColumn(identifier.column) && !identifier.value.empty()) {
            keys.push_back(identifier.column + '\x1F' + identifier.value);
        }
    }
    return keys;
}

} // namespace kelvarn
