#pragma once

#include "language/Command.h"
#include "support/Uuid.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The phrases that pick a student by place in the class rather than by name: "student 12",
// "student twelve", "student number twelve", "next ungraded" and "next ungraded student". They
// sit beside the phrase table, which stays the same for every roster, because a number means a
// different student in every class.
namespace kelvarn::class_order {

struct Phrase {
    Command command;
    // How many tokens it takes.
    std::size_t length = 0;
    friend bool operator==(const Phrase&, const Phrase&) = default;
};

// Every phrase that starts at tokens[at]; `students` is the class in order. A number past the
// end of the class is NoSuchStudent, so that it is refused rather than taken for a note.
std::vector<Phrase> phrasesAt(const std::vector<std::string>& tokens, std::size_t at,
                              const std::vector<Uuid>& students);

// The number that starts at tokens[at] and how many tokens it takes: one to ninety-nine in
// words (as the recogniser writes them), or written in digits.
struct SpokenNumber {
    std::size_t value = 0;
    std::size_t length = 0;
};
std::optional<SpokenNumber> numberAt(const std::vector<std::string>& tokens, std::size_t at);

// The number in words, as the recogniser would write it: 21 is "twenty one". Empty past 99.
std::string numberWords(std::size_t value);

// Hints for the recogniser: every phrase as it is said, for a class of `students`.
std::vector<std::string> vocabulary(std::size_t students);

} // namespace kelvarn::class_order
