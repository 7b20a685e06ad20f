#include "language/ClassOrderPhrases.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kelvarn::class_order {

namespace {

constexpr std::array<std::string_view, 20> units{
    "",         "one",     "two",     "three",     "four",     "five",    "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<std::string_view, 10> tens{"",      "",      "twenty",  "thirty", "forty",
                                                "fifty", "sixty", "seventy", "eighty", "ninety"};

// Written numbers longer than this are no place in any class.
constexpr std::size_t longestDigits = 6;

std::optional<std::size_t> indexOf(const auto& words, const std::string& token) {
    const auto found = std::find(words.begin() + 1, words.end(), token);
    if (found == words.end() || found->empty()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - words.begin());
}

} // namespace

std::optional<SpokenNumber> numberAt(const std::vector<std::string>& tokens, std::size_t at) {
    if (at >= tokens.size()) {
        return std::nullopt;
    }
    const std::string& token = tokens[at];
    if (!token.empty() && token.size() <= longestDigits &&
        std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return SpokenNumber{std::stoul(token), 1};
    }
    if (const auto unit = indexOf(units, token)) {
        return SpokenNumber{*unit, 1};
    }
    if (const auto ten = indexOf(tens, token)) {
        // "twenty one": a ten and a unit below ten.
        if (at + 1 < tokens.size()) {
            if (const auto unit = indexOf(units, tokens[at + 1]); unit && *unit < 10) {
                return SpokenNumber{*ten * 10 + *unit, 2};
            }
        }
        return SpokenNumber{*ten * 10, 1};
    }
    return std::nullopt;
}

std::vector<Phrase> phrasesAt(const std::vector<std::string>& tokens, std::size_t at,
                              const std::vector<Uuid>& students) {
    std::vector<Phrase> out;
    if (at >= tokens.size()) {
        return out;
    }
    if (tokens[at] == "student") {
        const std::size_t from = at + 1 < tokens.size() && tokens[at + 1] == "number" ? 2 : 1;
        if (const auto number = numberAt(tokens, at + from); number && number->value > 0) {
            const std::size_t length = from + number->length;
            if (number->value <= students.size()) {
                out.push_back({commands::Student{students[number->value - 1]}, length});
            } else {
                out.push_back({commands::NoSuchStudent{number->value}, length});
            }
        }
    } else if (tokens[at] == "next" && at + 1 < tokens.size() && tokens[at + 1] == "ungraded") {
        out.push_back({commands::NextUngraded{}, 2});
        if (at + 2 < tokens.size() && tokens[at + 2] == "student") {
            out.push_back({commands::NextUngraded{}, 3});
        }
    }
    return out;
}

std::string numberWords(std::size_t value) {
    if (value == 0 || value > 99) {
        return {};
    }
    if (value < units.size()) {
        return std::string(units[value]);
    }
    std::string words(tens[value / 10]);
    if (value % 10 != 0) {
        words += ' ';
        words += units[value % 10];
    }
    return words;
}

std::vector<std::string> vocabulary(std::size_t students) {
    std::vector<std::string> out{"next ungraded", "next ungraded student"};
    for (std::size_t n = 1; n <= std::min<std::size_t>(students, 99); ++n) {
        out.push_back("student " + numberWords(n));
    }
    return out;
}

} // namespace kelvarn::class_order
