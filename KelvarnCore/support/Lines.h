#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// LF, VT, FF, CR, NEL, U+2028 and U+2029: every character that ends a line.
bool endsLine(char32_t c);

// Splits at every character that ends a line: LF, VT, FF, CR, NEL, U+2028 and U+2029. Each one
// ends a line of its own, so a CR LF pair yields an empty line between them.
std::vector<std::string_view> splitLines(std::string_view text);

// Splits at Unicode white space, dropping empty pieces.
std::vector<std::string_view> splitWords(std::string_view text);
// Splits at one ASCII character only, dropping empty pieces: for words stored joined by it.
std::vector<std::string_view> splitAt(std::string_view text, char separator);

// The pieces with the separator between each two of them.
template <typename Pieces>
std::string join(const Pieces& pieces, std::string_view separator = " ") {
    std::string out;
    bool first = true;
    for (const auto& piece : pieces) {
        if (!first) {
            out += separator;
        }
        out += piece;
        first = false;
    }
    return out;
}

} // namespace kelvarn
