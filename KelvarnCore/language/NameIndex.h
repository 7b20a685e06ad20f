#pragma once

#include "language/NameKey.h"
#include "language/NameMatch.h"
#include "language/NameMatching.h"

#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvarn {

// A heard word prepared for matching: its sound codes and, when it is spelled exactly like a
// word of some name key, that word's number in the index.
struct HeardWord {
    AnalysedWord word;
    std::int32_t keyWordId = -1;
};

// A span of heard words as matchName sees it.
struct HeardSpan {
    const HeardWord* words = nullptr;
    std::size_t count = 0;
    // The text was the words joined by single spaces, so it equals a key exactly when every
    // word does.
    bool wordsAreTheText = true;
    const SquashedText* squashed = nullptr;
};

// Everything about the name keys that depends on the roster alone, worked out once when the
// parser is built: distinct key words with their Soundex and consonant codes, each key's
// squashed form, and the keys grouped by word count and by squashed length. matchName then
// visits only the keys that can score, with exactly the results of the plain scan.
class NameIndex final {
public:
    NameIndex() = default;
    explicit NameIndex(const std::vector<NameKey>& keys);

    bool empty() const { return m_keys.empty(); }
    HeardWord prepare(std::u32string word) const;

    // Reused between calls to spare allocations; one per thread.
    struct Scratch {
        std::vector<double> scores;
        std::vector<std::uint32_t> touched;
    };
    NameMatch match(const HeardSpan& span, Scratch& scratch) const;

private:
    struct Key {
        std::uint32_t slot = 0; // the student, numbered by the first key's position
        bool isFullName = false;
        std::vector<std::int32_t> wordIds;
        SquashedText squashed;
    };

    // A score below every real one: the student has not been scored for this span.
    static constexpr double unscored = -std::numeric_limits<double>::infinity();

    static void consider(const Key& key, double similarity, Scratch& scratch);
    void scoreKeysOfTheSameLength(const HeardSpan& span, Scratch& scratch) const;
    void scoreSquashedKeys(const HeardSpan& span, Scratch& scratch) const;
    NameMatch bestStudents(Scratch& scratch) const;

    std::vector<AnalysedWord> m_words;
    std::unordered_map<std::u32string, std::int32_t> m_wordIds;
    std::vector<Key> m_keys;
    std::vector<Uuid> m_slotIds;
    std::vector<std::vector<std::uint32_t>> m_keysByWordCount;
    std::vector<std::vector<std::uint32_t>> m_keysBySquashedLength;
};

} // namespace kelvarn
