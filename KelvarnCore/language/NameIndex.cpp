#include "language/NameIndex.h"

#include "support/Lines.h"
#include "support/Unicode.h"

#include <algorithm>
#include <limits>

namespace kelvarn {

namespace {

// Whether a key of squashed length k can reach the squashed spelling threshold against a
// heard text of squashed length h: the distance is at least the difference in length.
bool lengthsCanMatch(std::size_t h, std::size_t k) {
    if (h == k) {
        return true;
    }
    if (k < name_matching::squashedMinimumKeyLength) {
        return false;
    }
    const std::size_t longer = std::max(h, k);
    const long limit = maxDistanceFor(name_matching::squashedSpellingSimilarity, longer);
    return limit >= 0 && (h > k ? h - k : k - h) <= static_cast<std::size_t>(limit);
}

} // namespace

NameIndex::NameIndex(const std::vector<NameKey>& keys) {
    std::unordered_map<Uuid, std::uint32_t> slots;
    for (const NameKey& nameKey : keys) {
        Key key;
        key.isFullName = nameKey.isFullName;
        const auto [slot, added] =
            slots.try_emplace(nameKey.id, static_cast<std::uint32_t>(m_slotIds.size()));
        if (added) {
            m_slotIds.push_back(nameKey.id);
        }
        key.slot = slot->second;
        std::u32string squashed;
        for (const std::string_view piece : splitWords(nameKey.key)) {
            std::u32string word = unicode::toUtf32(piece);
            squashed += word;
            auto [found, isNew] =
                m_wordIds.try_emplace(word, static_cast<std::int32_t>(m_words.size()));
            if (isNew) {
                m_words.push_back(AnalysedWord::of(Graphemes(std::move(word))));
            }
            key.wordIds.push_back(found->second);
        }
        key.squashed.text = Graphemes(std::move(squashed));
        key.squashed.hadSpace = nameKey.key.find(' ') != std::string::npos;
        key.squashed.phonetic(); // worked out now, so the shared index is never written later
        const auto index = static_cast<std::uint32_t>(m_keys.size());
        const std::size_t wordCount = key.wordIds.size();
        const std::size_t length = key.squashed.text.size();
        if (m_keysByWordCount.size() <= wordCount) {
            m_keysByWordCount.resize(wordCount + 1);
        }
        m_keysByWordCount[wordCount].push_back(index);
        if (m_keysBySquashedLength.size() <= length) {
            m_keysBySquashedLength.resize(length + 1);
        }
        m_keysBySquashedLength[length].push_back(index);
        m_keys.push_back(std::move(key));
    }
}

HeardWord NameIndex::prepare(std::u32string word) const {
    HeardWord heard;
    if (const auto found = m_wordIds.find(word); found != m_wordIds.end()) {
        heard.keyWordId = found->second;
        heard.word = m_words[static_cast<std::size_t>(found->second)];
    } else {
        heard.word = AnalysedWord::of(Graphemes(std::move(word)));
    }
    return heard;
}

NameMatch NameIndex::match(const HeardSpan& span, Scratch& scratch) const {
    if (m_keys.empty()) {
        return {};
    }
    if (scratch.scores.size() != m_slotIds.size()) {
        scratch.scores.assign(m_slotIds.size(), unscored);
    }
    scratch.touched.clear();
    scoreKeysOfTheSameLength(span, scratch);
    scoreSquashedKeys(span, scratch);
    return bestStudents(scratch);
}

void NameIndex::consider(const Key& key, double similarity, Scratch& scratch) {
    if (similarity <= 0) {
        return;
    }
    if (key.isFullName) {
        similarity += name_matching::fullNameBonus;
    }
    double& score = scratch.scores[key.slot];
    if (score == unscored) {
        scratch.touched.push_back(key.slot);
    }
    score = std::max(score, similarity);
}

void NameIndex::scoreKeysOfTheSameLength(const HeardSpan& span, Scratch& scratch) const {
    const std::size_t n = span.count;
    if (n >= m_keysByWordCount.size()) {
        return;
    }
    for (const std::uint32_t index : m_keysByWordCount[n]) {
        const Key& key = m_keys[index];
        const auto same = [&](std::size_t i) {
            return span.words[i].keyWordId >= 0 && span.words[i].keyWordId == key.wordIds[i];
        };
        bool exact = span.wordsAreTheText;
        for (std::size_t i = 0; i < n && exact; ++i) {
            exact = same(i);
        }
        if (exact) {
            consider(key, 1.0, scratch);
            continue;
        }
        const double wordwise = name_matching::wordwise(
            n, same, [&](std::size_t i) -> const AnalysedWord& { return span.words[i].word; },
            [&](std::size_t i) -> const AnalysedWord& {
                return m_words[static_cast<std::size_t>(key.wordIds[i])];
            });
        consider(key, std::max(wordwise, name_matching::squashed(*span.squashed, key.squashed)),
                 scratch);
    }
}

void NameIndex::scoreSquashedKeys(const HeardSpan& span, Scratch& scratch) const {
    const std::size_t heardLength = span.squashed->text.size();
    for (std::size_t length = 0; length < m_keysBySquashedLength.size(); ++length) {
        if (!lengthsCanMatch(heardLength, length)) {
            continue;
        }
        for (const std::uint32_t index : m_keysBySquashedLength[length]) {
            const Key& key = m_keys[index];
            if (key.wordIds.size() != span.count) { // keys of as many words were scored already
                consider(key, name_matching::squashed(*span.squashed, key.squashed), scratch);
            }
        }
    }
}

NameMatch NameIndex::bestStudents(Scratch& scratch) const {
    NameMatch result;
    if (scratch.touched.empty()) {
        return result;
    }
    double best = unscored;
    for (const std::uint32_t slot : scratch.touched) {
        best = std::max(best, scratch.scores[slot]);
    }
    std::sort(scratch.touched.begin(), scratch.touched.end());
    for (const std::uint32_t slot : scratch.touched) {
        if (scratch.scores[slot] >= best - name_matching::tieBand) {
            result.ids.push_back(m_slotIds[slot]);
        }
        scratch.scores[slot] = unscored; // ready for the next span
    }
    result.score = std::min(best, 1.0);
    return result;
}

} // namespace kelvarn
