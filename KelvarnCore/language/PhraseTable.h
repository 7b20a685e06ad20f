#pragma once

#include "language/Command.h"

#include <set>
#include <string>
#include <vector>

namespace kelvarn {

// One spoken command phrase: its tokens and what it asks for.
struct PhraseEntry {
    std::vector<std::string> tokens;
    Command command;

    friend bool operator==(const PhraseEntry&, const PhraseEntry&) = default;
};

// The closed command grammar, the same for every roster; each built once, on first use
// (thread-safe), and never changed.
namespace phrase_table {

// The 64 phrases in table order: section aliases, level aliases, command phrases.
const std::vector<PhraseEntry>& phrases();
// The 48 tokens of the phrases that are not mere connecting words.
const std::set<std::string>& commandWords();
// The 32 filler words that may be sprinkled between commands.
const std::set<std::string>& fillers();

} // namespace phrase_table

} // namespace kelvarn
