#pragma once

#include "model/Level.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// The rubric's sections; declaration order is the order sections are walked everywhere.
enum class SectionID { intro, claims, evidence, analysis, conclusion, style };

namespace sections {

inline constexpr std::array<SectionID, 6> allCases{SectionID::intro,      SectionID::claims,
                                                   SectionID::evidence,   SectionID::analysis,
                                                   SectionID::conclusion, SectionID::style};

std::string_view rawValue(SectionID section);
// Exactly the raw values, case-sensitive.
std::optional<SectionID> fromRawValue(std::string_view text);

std::string_view title(SectionID section);
std::string_view shortTitle(SectionID section);
double weight(SectionID section);
const std::vector<std::string>& spokenAliases(SectionID section);

// weight × fraction, computed at the time of use so no rounded table drifts from the weights.
double points(SectionID section, Level level);

} // namespace sections

} // namespace kelvarn
