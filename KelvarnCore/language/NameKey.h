#pragma once

#include "support/Uuid.h"

#include <optional>
#include <string>
#include <string_view>
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

// The keys of a roster name: those of its tokens, then the ways people name someone whose name
// is written in several words, each once. A word written with a hyphen or an apostrophe is one
// word ("Anne-Marie"): the first written word, the last, and the two together. When the roster
// said which words are the surname: the given names, the whole surname, and for a surname of
// two or more words its first word (skipping lower-case particles such as "van" or "de") alone
// and after the given names, as in "Lucía Fernández" for "Fernández Ruiz, Lucía".
std::vector<NameKey> nameKeysFor(const Uuid& id, std::string_view name,
                                 const std::optional<std::string>& surname);

} // namespace kelvarn
