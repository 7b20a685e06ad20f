#pragma once

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

} // namespace kelvarn
