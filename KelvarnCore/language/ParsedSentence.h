#pragma once

#include "language/Command.h"

#include <string>
#include <variant>
#include <vector>

namespace kelvarn {

// What one sentence of an utterance turned out to be.
namespace parsed {

// Every word was a command, a name or a filler; in spoken order, never empty.
struct Commands {
    std::vector<Command> commands;
    friend bool operator==(const Commands&, const Commands&) = default;
};
// Dictation: the sentence as spoken, trimmed.
struct Note {
    std::string text;
    friend bool operator==(const Note&, const Note&) = default;
};
// The sentence began with the word "correction"; what followed it.
struct Correction {
    std::string text;
    friend bool operator==(const Correction&, const Correction&) = default;
};
// No word at all, or only filler words.
struct Filler {
    friend bool operator==(const Filler&, const Filler&) = default;
};

} // namespace parsed

using ParsedSentence =
    std::variant<parsed::Commands, parsed::Note, parsed::Correction, parsed::Filler>;

} // namespace kelvarn
