#pragma once

#include "language/Correction.h"
#include "support/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// corrections.json: an array of {"id", "heard", "replacement"} objects in list order, members in
// that order, the id in upper-case canonical form, written compact.
std::string encodeCorrections(const std::vector<Correction>& rules);
// Strict: every rule needs all three members; anything malformed fails the whole file.
Result<std::vector<Correction>> decodeCorrections(std::string_view text);

} // namespace kelvarn
