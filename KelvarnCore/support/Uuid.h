#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

// A 128-bit identifier. Records are only ever identified by these, never by position or name.
class Uuid final {
public:
    Uuid() = default;
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : m_bytes(bytes) {}

    static Uuid generate();
    // Accepts the canonical 8-4-4-4-12 hexadecimal form in either letter case.
    static std::optional<Uuid> parse(std::string_view text);

    // Canonical form with upper-case hexadecimal digits, as written to files.
    std::string toString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return m_bytes; }

    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    std::array<std::uint8_t, 16> m_bytes{};
};

} // namespace kelvarn

template <> struct std::hash<kelvarn::Uuid> {
    std::size_t operator()(const kelvarn::Uuid& id) const noexcept {
        std::size_t h = 1469598103934665603ull;
        for (auto b : id.bytes()) {
            h = (h ^ b) * 1099511628211ull;
        }
        return h;
    }
};
