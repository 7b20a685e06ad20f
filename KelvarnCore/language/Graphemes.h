#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// A text seen as user-perceived characters (extended grapheme clusters), the unit in which
// the name-matching rules count lengths and edit distances. Almost every token is a run of
// code points that are each a character of their own; only then is the break iterator skipped.
class Graphemes final {
public:
    Graphemes() = default;
    explicit Graphemes(std::u32string codePoints);
    // Invalid UTF-8 becomes U+FFFD.
    static Graphemes fromUtf8(std::string_view text);

    std::size_t size() const { return m_ends.empty() ? m_codePoints.size() : m_ends.size(); }
    bool empty() const { return m_codePoints.empty(); }
    // Character i as its code points.
    std::u32string_view at(std::size_t i) const;
    const std::u32string& codePoints() const { return m_codePoints; }
    std::string toUtf8() const;

    friend bool operator==(const Graphemes& a, const Graphemes& b) {
        return a.m_codePoints == b.m_codePoints;
    }

private:
    bool oneCodePointPerCharacter() const { return m_ends.empty(); }
    void countCharacters();

    std::u32string m_codePoints;
    // End offset (in code points) of every character; empty when each code point is one.
    std::vector<std::uint32_t> m_ends;
    // How many characters fall in each of 32 buckets (by first code point): the difference of
    // two such bags is a lower bound of the edit distance, found without the full table.
    std::array<std::uint8_t, 32> m_bag{};
    bool m_bagUsable = true; // false once a bucket would overflow

    friend std::size_t levenshteinWithin(const Graphemes&, const Graphemes&, std::size_t);
};

// Edit distance in characters when it is at most limit; otherwise some value above limit.
std::size_t levenshteinWithin(const Graphemes& a, const Graphemes& b, std::size_t limit);

// The largest distance k (0 ≤ k ≤ length) for which 1 − k / length ≥ threshold, computed in
// exactly that floating-point form, so a bounded distance decides the same way as the
// unbounded formula; -1 when even 0 fails. length must be positive.
long maxDistanceFor(double threshold, std::size_t length);

} // namespace kelvarn
