#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvarn {

// Facts about an enum's cases kept in an array indexed by the enum, so the cases must be
// declared in the table's order with their default values (0, 1, 2, ...).
template <typename Entry, std::size_t N, typename Enum>
constexpr const Entry& tableEntry(const std::array<Entry, N>& table, Enum value) {
    return table[static_cast<std::size_t>(value)];
}

// The case whose entry's `raw` is exactly text, case-sensitive. Sharing N keeps the table and
// the list of cases the same length.
template <typename Enum, typename Entry, std::size_t N>
constexpr std::optional<Enum> fromRaw(const std::array<Enum, N>& cases,
                                      const std::array<Entry, N>& table, std::string_view text) {
    for (Enum value : cases) {
        if (tableEntry(table, value).raw == text) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace kelvarn
