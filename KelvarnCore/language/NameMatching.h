#pragma once

#include "language/Graphemes.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvarn {

// The tuning constants of spoken-name matching, one name each.
namespace name_matching {

inline constexpr double fullNameBonus = 0.01;
inline constexpr double tieBand = 0.015;
inline constexpr std::size_t minimumSpellingWordLength = 5;
inline constexpr double spellingSimilarityAccepted = 0.8;
inline constexpr double spellingSimilarityWithEqualSoundex = 0.6;
inline constexpr double equalSoundexScore = 0.8;
inline constexpr double anchoredLooseWordScore = 0.7;
inline constexpr std::size_t anchorWordLength = 3;
inline constexpr std::size_t minimumPhoneticLength = 3;
inline constexpr std::size_t phoneticDistanceLimit = 2;
inline constexpr double squashedExactScore = 0.95;
inline constexpr std::size_t squashedMinimumKeyLength = 8;
inline constexpr double squashedPhoneticSimilarity = 0.8;
inline constexpr double squashedSpellingSimilarity = 0.55;
inline constexpr double squashedMatchScore = 0.8;
// A span may be this many tokens longer than the longest roster name.
inline constexpr std::size_t nameSpanExtraTokens = 3;
// Below this score a name span may not contain a command word.
inline constexpr double strongMatch = 0.95;

} // namespace name_matching

// The string measures of name matching. Characters are user-perceived characters; every text is
// UTF-8 and invalid sequences are read as U+FFFD.

// Classic edit distance over characters.
std::size_t levenshtein(std::string_view a, std::string_view b);
// The four-character code of the letters of s ("robert" → "r163"); empty without letters.
std::string soundex(std::string_view s);
// The consonant key of s ("thompson" → "tmpsn").
std::string phonetic(std::string_view s);
// Word-by-word similarity of two space-separated names, 0 to 1.
double wordwiseSimilarity(std::string_view heard, std::string_view key);
// Similarity with the spaces squeezed out, for names split or joined in the wrong place.
double squashedSimilarity(std::string_view heard, std::string_view key);

// A word prepared once for many comparisons: its characters and both sound codes.
struct AnalysedWord {
    Graphemes text;
    std::string soundex;
    Graphemes phonetic;

    static AnalysedWord of(Graphemes text);
};

// A run of words with the spaces squeezed out, and its consonant key worked out on demand.
struct SquashedText {
    SquashedText() = default;
    SquashedText(Graphemes text, bool hadSpace) : text(std::move(text)), hadSpace(hadSpace) {}

    Graphemes text;
    bool hadSpace = false;

    const Graphemes& phonetic() const;

private:
    mutable bool m_phoneticReady = false;
    mutable Graphemes m_phonetic;
};

namespace name_matching {

Graphemes phoneticOf(const Graphemes& s);
std::string soundexOf(const Graphemes& s);

// The score of heard word x at the position of key word y, the two being different: a
// positive score, or anchoredOnly (0.7 if the pair is anchored, else the whole pair fails),
// or 0, which fails the whole pair.
inline constexpr double anchoredOnly = -1.0;
double looseWordScore(const AnalysedWord& x, const AnalysedWord& y);

// wordwiseSimilarity over prepared words: same(i) tells whether the words at position i are
// identical; heardAt(i) and keyAt(i) give them.
template <typename Same, typename HeardAt, typename KeyAt>
double wordwise(std::size_t n, Same&& same, HeardAt&& heardAt, KeyAt&& keyAt) {
    if (n == 0) {
        return 0;
    }
    bool anchored = false;
    if (n >= 2) {
        for (std::size_t i = 0; i < n && !anchored; ++i) {
            anchored = same(i) && heardAt(i).text.size() >= anchorWordLength;
        }
    }
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (same(i)) {
            sum += 1.0;
            continue;
        }
        const auto& x = heardAt(i);
        const auto& y = keyAt(i);
        const bool spelledFully = x.text.size() >= minimumSpellingWordLength &&
                                  y.text.size() >= minimumSpellingWordLength;
        if (!spelledFully && !anchored) {
            return 0;
        }
        const double score = looseWordScore(x, y);
        if (score > 0) {
            sum += score;
        } else if (score == anchoredOnly && anchored) {
            sum += anchoredLooseWordScore;
        } else {
            return 0;
        }
    }
    return sum / static_cast<double>(n);
}

// squashedSimilarity over prepared texts.
double squashed(const SquashedText& heard, const SquashedText& key);

} // namespace name_matching

} // namespace kelvarn
