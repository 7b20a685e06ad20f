#pragma once

#include "support/Uuid.h"

#include <string>
#include <vector>

namespace kelvarn {

// One way of saying a student's name: the whole name or a part of it, as tokens joined with
// single spaces.
struct NameKey {
    Uuid id;
    std::string key;
    bool isFullName = false;

    friend bool operator==(const NameKey&, const NameKey&) = default;
};

// The keys of one roster name given its tokens: the full name; with two or
// more tokens the first and the last token; with three or more all but the first, then the
// first and the last. No tokens, no keys.
std::vector<NameKey> nameKeysFor(const Uuid& id, const std::vector<std::string>& tokens);

} // namespace kelvarn
