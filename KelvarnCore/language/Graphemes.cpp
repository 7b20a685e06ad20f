#include "language/Graphemes.h"

#include "support/Unicode.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kelvarn {

namespace {

// Edit distance restricted to the diagonal band |i − j| ≤ limit (Ukkonen): exact when the
// distance is at most limit, otherwise some value above it. m ≤ n.
template <typename Equal>
std::size_t boundedDistance(std::size_t m, std::size_t n, std::size_t limit, Equal&& equal) {
    if (m == 0) {
        return n;
    }
    if (n - m > limit) {
        return limit + 1;
    }
    const std::size_t k = std::min(limit, n);
    const std::size_t outside = k + 1;
    std::array<std::size_t, 48> small;
    std::vector<std::size_t> large;
    std::size_t* row = small.data();
    if (n + 1 > small.size()) {
        large.resize(n + 1);
        row = large.data();
    }
    for (std::size_t j = 0; j <= n; ++j) {
        row[j] = j <= k ? j : outside;
    }
    for (std::size_t i = 1; i <= m; ++i) {
        const std::size_t low = i > k ? i - k : 1;
        const std::size_t high = std::min(n, i + k);
        std::size_t diagonal = row[low - 1];
        row[low - 1] = low == 1 ? i : outside;
        std::size_t rowMinimum = row[low - 1];
        for (std::size_t j = low; j <= high; ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (equal(i - 1, j - 1) ? 0 : 1);
            const std::size_t value = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
            row[j] = value;
            rowMinimum = std::min(rowMinimum, value);
        }
        if (rowMinimum > k) {
            return limit + 1;
        }
    }
    return row[n] <= k ? row[n] : limit + 1;
}

} // namespace

Graphemes::Graphemes(std::u32string codePoints)
    : m_codePoints(std::move(codePoints)), m_ends(unicode::characterEnds(m_codePoints)) {
    countCharacters();
}

void Graphemes::countCharacters() {
    for (std::size_t i = 0; i < size() && m_bagUsable; ++i) {
        std::uint8_t& count = m_bag[at(i).front() % m_bag.size()];
        if (count == 255) {
            m_bagUsable = false;
        }
        ++count;
    }
}

Graphemes Graphemes::fromUtf8(std::string_view text) {
    return Graphemes(unicode::toUtf32(text));
}

std::u32string_view Graphemes::at(std::size_t i) const {
    const std::u32string_view all(m_codePoints);
    if (oneCodePointPerCharacter()) {
        return all.substr(i, 1);
    }
    const std::size_t start = i == 0 ? 0 : m_ends[i - 1];
    return all.substr(start, m_ends[i] - start);
}

std::string Graphemes::toUtf8() const {
    return unicode::toUtf8(m_codePoints);
}

std::size_t levenshteinWithin(const Graphemes& a, const Graphemes& b, std::size_t limit) {
    if (a.size() > b.size()) {
        return levenshteinWithin(b, a, limit);
    }
    if (b.size() - a.size() > limit) {
        return limit + 1;
    }
    if (a.m_bagUsable && b.m_bagUsable) {
        // Every edit changes at most one character on each side of the bags' difference.
        std::size_t surplus = 0;
        std::size_t deficit = 0;
        for (std::size_t i = 0; i < a.m_bag.size(); ++i) {
            const int difference = int{a.m_bag[i]} - int{b.m_bag[i]};
            (difference > 0 ? surplus : deficit) += static_cast<std::size_t>(std::abs(difference));
        }
        if (std::max(surplus, deficit) > limit) {
            return limit + 1;
        }
    }
    if (a.oneCodePointPerCharacter() && b.oneCodePointPerCharacter()) {
        const char32_t* x = a.m_codePoints.data();
        const char32_t* y = b.m_codePoints.data();
        return boundedDistance(a.size(), b.size(), limit,
                               [x, y](std::size_t i, std::size_t j) { return x[i] == y[j]; });
    }
    return boundedDistance(a.size(), b.size(), limit,
                           [&](std::size_t i, std::size_t j) { return a.at(i) == b.at(j); });
}

long maxDistanceFor(double threshold, std::size_t length) {
    const double n = static_cast<double>(length);
    const auto passes = [&](long k) { return 1.0 - static_cast<double>(k) / n >= threshold; };
    long k = std::clamp(static_cast<long>((1.0 - threshold) * n), 0L, static_cast<long>(length));
    while (k < static_cast<long>(length) && passes(k + 1)) {
        ++k;
    }
    while (k >= 0 && !passes(k)) {
        --k;
    }
    return k;
}

} // namespace kelvarn
