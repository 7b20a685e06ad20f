#include "language/Graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <numeric>

namespace kelvarn {

namespace {

// True when no grapheme-cluster rule can join this code point to a neighbour: only then is
// every code point of a run a character of its own.
bool standsAlone(char32_t c) {
    if (c < 0x7F) {
        return c >= 0x20;
    }
    return u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK) ==
           U_GCB_OTHER;
}

icu::BreakIterator* characterBreaks() {
    // One per thread: a break iterator holds the text it walks.
    thread_local std::unique_ptr<icu::BreakIterator> breaks = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return breaks.get();
}

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

Graphemes::Graphemes(std::u32string codePoints) : m_codePoints(std::move(codePoints)) {
    if (std::all_of(m_codePoints.begin(), m_codePoints.end(), standsAlone)) {
        countCharacters();
        return;
    }
    // Map UTF-16 boundaries back to code-point offsets.
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(m_codePoints.data()),
                                      static_cast<int32_t>(m_codePoints.size()));
    std::vector<std::uint32_t> codePointAt(static_cast<std::size_t>(unicode.length()) + 1, 0);
    std::uint32_t index = 0;
    for (int32_t i = 0; i < unicode.length();) {
        codePointAt[static_cast<std::size_t>(i)] = index++;
        i = unicode.moveIndex32(i, 1);
    }
    codePointAt[static_cast<std::size_t>(unicode.length())] = index;
    // fromUTF32 turns invalid code points into U+FFFD one for one, so offsets still line up.
    icu::BreakIterator* breaks = characterBreaks();
    if (breaks == nullptr) {
        m_ends.resize(m_codePoints.size());
        std::iota(m_ends.begin(), m_ends.end(), std::uint32_t{1});
        countCharacters();
        return;
    }
    breaks->setText(unicode);
    breaks->first();
    for (int32_t b = breaks->next(); b != icu::BreakIterator::DONE; b = breaks->next()) {
        m_ends.push_back(codePointAt[static_cast<std::size_t>(b)]);
    }
    breaks->setText(icu::UnicodeString());
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
    return Graphemes(toUtf32(text));
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
    return kelvarn::toUtf8(m_codePoints);
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

std::u32string toUtf32(std::string_view text) {
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::u32string out;
    out.reserve(static_cast<std::size_t>(unicode.length()));
    for (int32_t i = 0; i < unicode.length();) {
        const UChar32 c = unicode.char32At(i);
        out.push_back(static_cast<char32_t>(c));
        i = unicode.moveIndex32(i, 1);
    }
    return out;
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::vector<std::u32string> spaceSeparated(const std::u32string& text) {
    std::vector<std::u32string> words;
    std::u32string current;
    for (char32_t c : text) {
        if (c == U' ') {
            if (!current.empty()) {
                words.push_back(std::move(current));
                current.clear();
            }
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) {
        words.push_back(std::move(current));
    }
    return words;
}

} // namespace kelvarn
