#pragma once

#include "language/CommandParser.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvarn::testing {

// A roster assembled name by name, handing back each new student's id.
struct ParserRoster {
    std::vector<RosterEntry> entries;

    Uuid add(std::string name, std::optional<std::string> surname = std::nullopt) {
        entries.push_back({Uuid::generate(), std::move(name), std::move(surname)});
        return entries.back().id;
    }
    CommandParser parser() const { return CommandParser(entries); }
};

} // namespace kelvarn::testing
