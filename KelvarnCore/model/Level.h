#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// Grade levels, best first.
enum class Level { complete, mostly, somewhat, incomplete };

namespace levels {

inline constexpr std::array<Level, 4> allCases{Level::complete, Level::mostly, Level::somewhat,
                                               Level::incomplete};

std::string_view rawValue(Level level);
// Exactly the raw values, case-sensitive.
std::optional<Level> fromRawValue(std::string_view text);

std::string_view title(Level level);
std::string_view shortLabel(Level level);
// Share of a section's weight the level earns; even `incomplete` earns some.
double fraction(Level level);
std::string_view descriptionText(Level level);
const std::vector<std::string>& spokenAliases(Level level);

} // namespace levels

} // namespace kelvarn
