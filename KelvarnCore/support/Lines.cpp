#include "support/Lines.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace kelvarn {

bool endsLine(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

namespace {

// Cuts text into the pieces between characters that satisfy isSeparator; the callback decides
// which pieces to keep. Invalid UTF-8 decodes as a negative value and never separates.
template <typename IsSeparator>
std::vector<std::string_view> piecesBetween(std::string_view text, IsSeparator isSeparator,
                                            bool keepEmpty) {
    std::vector<std::string_view> pieces;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t start = 0;
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t at = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (isSeparator(c)) {
            if (keepEmpty || at > start) {
                pieces.push_back(text.substr(start, at - start));
            }
            start = i;
        }
    }
    if (keepEmpty || length > start) {
        pieces.push_back(text.substr(start));
    }
    return pieces;
}

} // namespace

std::vector<std::string_view> splitLines(std::string_view text) {
    return piecesBetween(
        text, [](UChar32 c) { return c >= 0 && endsLine(static_cast<char32_t>(c)); }, true);
}

std::vector<std::string_view> splitWords(std::string_view text) {
    return piecesBetween(
        text, [](UChar32 c) { return c >= 0 && u_isUWhiteSpace(c); }, false);
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
    return piecesBetween(
        text, [separator](UChar32 c) { return c == static_cast<unsigned char>(separator); }, false);
}

} // namespace kelvarn
