#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::roster {

// The names of a roster file, one student per line, in file order. Blank lines and "#" comments
// are skipped, "Surname, Given" becomes "Given Surname", runs of spaces become one, and a name
// that differs from an earlier one only in letter case is dropped. Invalid UTF-8 becomes U+FFFD
// so that no student silently disappears.
std::vector<std::string> parse(std::string_view text);

} // namespace kelvarn::roster
