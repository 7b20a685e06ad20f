#include "support/ControlCharacters.h"

#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/utf8.h>

#include <cstdint>

namespace kelvarn {

bool isControlCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string oneLine(std::string_view text) {
    const std::string repaired = unicode::repairUtf8(text);
    std::string line;
    line.reserve(repaired.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(repaired.data());
    const auto length = static_cast<std::int32_t>(repaired.size());
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c == '\t' || endsLine(static_cast<char32_t>(c))) {
            line += ' ';
        } else if (isControlCharacter(static_cast<char32_t>(c))) {
            line += "\uFFFD";
        } else {
            line.append(repaired, static_cast<std::size_t>(start),
                        static_cast<std::size_t>(i - start));
        }
    }
    return line;
}

} // namespace kelvarn
