#pragma once

#include <string>
#include <string_view>

namespace kelvarn::tidy {

// What the student's name becomes in the notes handed to the outside tool.
inline constexpr std::string_view placeholder = "[STUDENT]";

// The text with the whole name and each piece of it (split at spaces) replaced by the
// placeholder wherever it stands as a whole word, in any case; longest first, so a full name
// becomes one placeholder. Pieces of one character (initials) stay.
std::string redact(std::string_view text, std::string_view name);

// The text with every placeholder replaced by the name's first piece (the whole name when it has
// no piece).
std::string restoreName(std::string_view text, std::string_view name);

} // namespace kelvarn::tidy
