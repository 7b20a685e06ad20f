#pragma once

#include "language/Correction.h"
#include "support/Result.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// corrections.json: an array of {"id", "heard", "replacement"} objects in
// list order, members in that order, the id in upper-case canonical form, written compact.
nlohmann::ordered_json toJson(const Correction& rule);
// Strict: all three members are required (throws JsonDecodeError or nlohmann's exceptions).
Correction correctionFromJson(const nlohmann::json& value);

std::string encodeCorrections(const std::vector<Correction>& rules);
Result<std::vector<Correction>> decodeCorrections(std::string_view text);

} // namespace kelvarn
