#pragma once

#include <string>
#include <string_view>

namespace kelvarn {

// C0 controls (tab and line feed among them), DEL and C1 controls.
bool isControlCharacter(char32_t c);

// Text made safe to write as one line of a log or a terminal: line breaks and tabs become a
// space, every other control character (C0, DEL, C1) becomes U+FFFD, invalid UTF-8 is repaired.
// Other text, all of Unicode's letters, marks and symbols included, passes unchanged. A name
// holding an escape sequence must not drive the terminal, nor a tab shift the columns.
std::string oneLine(std::string_view text);

} // namespace kelvarn
