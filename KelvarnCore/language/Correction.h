#pragma once

#include "support/Uuid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// A rewrite rule learned from the user: when these words are heard, write
// that instead. Applied to every final transcript before it is parsed.
struct Correction {
    Uuid id;
    // The misheard words, normalised: the tokens of CommandParser::tokenize joined by spaces.
    std::string heard;
    // What to write instead, as typed or said, trimmed.
    std::string replacement;

    Correction() = default;
    // A new rule with a fresh id; heard is normalised and replacement trimmed.
    Correction(std::string_view heard, std::string_view replacement);
    // A rule exactly as given (as read back from corrections.json).
    Correction(Uuid id, std::string heard, std::string replacement)
        : id(id), heard(std::move(heard)), replacement(std::move(replacement)) {}

    // The text with every rule applied, longest heard text first (stable for equal lengths),
    // each rule on the result of those before it. Heard words match whole, case-insensitively
    // and literally, with any run of white space or , . ; : - between them; the replacement is
    // written literally.
    static std::string apply(const std::vector<Correction>& rules, std::string_view text);

    // The rule a fix of heard into corrected teaches, if any: the changed stretch between the
    // common beginning and end (1 to 6 words on each side), unless only case, accents or
    // punctuation changed.
    static std::optional<Correction> suggested(std::string_view heard, std::string_view corrected);

    // heard joined from CommandParser::tokenize by single spaces.
    static std::string normalised(std::string_view text);

    friend bool operator==(const Correction&, const Correction&) = default;
};

} // namespace kelvarn
